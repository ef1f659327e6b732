// SPDX-License-Identifier: MIT
#include "Slider.h"

#include "InputBlock.h"
#include "ProcessTimer.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

namespace morlith {

TSlider::TSlider() : FTimer(std::make_unique<TProcessTimer>())
{
    FTimer->SetExecutingMode(TTimerExecutingMode::temByTicks);
    FTimer->SetInterval(kTickIntervalMs);
    FTimer->SetMaxTickCount(kSlideTicks);
    FTimer->OnTimer = [this](TProcessTimer *) { Step(); };
    FTimer->OnStop = [this](TProcessTimer *) { Arrive(); };
}

TSlider::~TSlider() = default;

void TSlider::AddPage(QWidget *page)
{
    if (!page || std::find(FPages.begin(), FPages.end(), page) != FPages.end())
        return;
    page->setGeometry(0, 0, FPageWidth, FPageHeight);
    FPages.push_back(page);
}

QWidget *TSlider::Page(int index) const
{
    return index >= 0 && index < PageCount() ? FPages[static_cast<size_t>(index)].data() : nullptr;
}

bool TSlider::Sliding() const
{
    return FTimer->Running();
}

void TSlider::ShowPage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    // A move during a slide would leave the earlier outgoing page stranded half-way, and
    // re-showing the shown page would slide it out and in over itself: both are ignored.
    if (Sliding() || (FIncomingPage && index == FPageIndex))
        return;
    FPageIndex = index;
    QWidget *page = FPages[static_cast<size_t>(index)];
    if (!page)
        return;
    if (!FOutgoingPage) {
        FIncomingPage = FOutgoingPage = page;
        page->move(0, page->y());
        page->show();
        page->raise();
        Fire(OnPageChanged, this);
        return;
    }
    FOutgoingPage = FIncomingPage;
    FIncomingPage = page;
    ReleaseFocus(FOutgoingPage);
    FOutgoingBlock = std::make_unique<TInputBlock>(std::vector<QWidget *>{FOutgoingPage.data()},
                                                   TInputBlock::TQueuedInput::Keep);
    page->move(FStepX > 0 ? -FPageWidth : FPageWidth, page->y());
    page->show();
    page->raise();
    FTimer->SetRunning(true);
}

void TSlider::ReleaseFocus(QWidget *page)
{
    // A key pressed while the page slides away must not reach its controls.
    QWidget *focused = QApplication::focusWidget();
    if (page && focused && page->isAncestorOf(focused))
        focused->clearFocus();
}

void TSlider::MoveNext(int index)
{
    if (index < 0 || Sliding())
        return;
    FStepY = 0;
    FStepX = -kStepPixels;
    ShowPage(index);
}

void TSlider::MovePrev(int index)
{
    if (index < 0 || Sliding())
        return;
    FStepY = 0;
    FStepX = kStepPixels;
    ShowPage(index);
}

void TSlider::Step()
{
    for (QWidget *page : {FOutgoingPage.data(), FIncomingPage.data()})
        if (page)
            page->move(page->pos() + QPoint(FStepX, FStepY));
}

void TSlider::Arrive()
{
    // The page that slid out is hidden, so that neither Tab nor a click reaches its controls.
    if (FOutgoingPage && FOutgoingPage != FIncomingPage)
        FOutgoingPage->hide();
    FOutgoingBlock.reset();
    Fire(OnPageChanged, this);
}

} // namespace morlith
