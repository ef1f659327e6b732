// SPDX-License-Identifier: MIT
#pragma once
// TSlider: moves between page forms of one host panel by sliding them sideways.

#include "NotifyEvent.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace morlith {

class TInputBlock;
class TProcessTimer;

// Holds the pages of a host panel; the first page shown is placed at once, every later one
// slides in from the side while the current one slides out (20 px per 10 ms tick, 30 ticks).
// Only the page shown takes input: a page loses the keyboard focus when it starts to slide out,
// takes no keys or clicks while it slides, and is hidden when it has left.
class TSlider {
public:
    // Pixels both pages move per tick.
    static constexpr int kStepPixels = 20;
    // Ticks per slide, and the interval between them in milliseconds.
    static constexpr int kSlideTicks = 30;
    static constexpr int kTickIntervalMs = 10;

    // Creates an empty slider (PageIndex -1).
    TSlider();
    // Frees the timer, not the pages.
    ~TSlider();
    TSlider(const TSlider &) = delete;
    TSlider &operator=(const TSlider &) = delete;

    // Appends a page (not owned, not shown) sized PageWidth x PageHeight at (0, 0); a page
    // already held is ignored.
    void AddPage(QWidget *page);
    // Brings the page at `index` in; out of range, the page already shown, or a slide still
    // running: nothing happens.
    void ShowPage(int index);
    // Slides the page at `index` in from the right (the host passes PageIndex + 1).
    void MoveNext(int index);
    // Slides the page at `index` in from the left (the host passes PageIndex - 1).
    void MovePrev(int index);

    // Index of the page shown or sliding in; -1 before the first ShowPage.
    int PageIndex() const { return FPageIndex; }
    // The page sliding in, and after the slide the page shown; null before the first ShowPage.
    QWidget *IncomingPage() const { return FIncomingPage; }
    // The page that slid out last (the shown page after the first ShowPage).
    QWidget *OutgoingPage() const { return FOutgoingPage; }
    // Number of pages held.
    int PageCount() const { return static_cast<int>(FPages.size()); }
    // The page at `index`; null out of range.
    QWidget *Page(int index) const;
    // Whether a slide is running.
    bool Sliding() const;
    // Sets the width AddPage gives pages (the host panel's); set before adding pages.
    void SetPageWidth(int width) { FPageWidth = width; }
    // Sets the height AddPage gives pages.
    void SetPageHeight(int height) { FPageHeight = height; }
    // Width of the pages; also the distance from which a page slides in.
    int PageWidth() const { return FPageWidth; }
    // Height of the pages.
    int PageHeight() const { return FPageHeight; }

    // Fired when a page has arrived (at once for the first page); the host reads IncomingPage.
    TNotifyEvent<TSlider> OnPageChanged;

private:
    void Step();
    void Arrive();
    static void ReleaseFocus(QWidget *page);

    // Guarded pointers: a page destroyed by its owner drops out instead of dangling.
    std::vector<QPointer<QWidget>> FPages;
    std::unique_ptr<TProcessTimer> FTimer;
    int FPageWidth = 0;
    int FPageHeight = 0;
    int FPageIndex = -1;
    QPointer<QWidget> FOutgoingPage;
    QPointer<QWidget> FIncomingPage;
    int FStepX = 0;
    int FStepY = 0;
    // Keeps input away from the outgoing page while it slides.
    std::unique_ptr<TInputBlock> FOutgoingBlock;
};

} // namespace morlith
