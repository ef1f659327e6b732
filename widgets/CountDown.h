// SPDX-License-Identifier: MIT
#pragma once
// TCountDownDlg: a borderless modal ring of eight circles that turns for about one second.

#include <QDialog>

#include <array>
#include <memory>

namespace morlith {

class TjvShape;
class TProcessTimer;
class TRoundRobin;

// Shown before a data-segment read or write: StartCountDown runs ten 100 ms steps of the ring
// and returns when the dialog has closed itself. Only the circles are visible.
class TCountDownDlg : public QDialog {
public:
    // Size of the form and of each circle, in pixels.
    static constexpr int kFormWidth = 213;
    static constexpr int kFormHeight = 188;
    static constexpr int kCircleSize = 35;
    // Number of circles, ticks per countdown and milliseconds per tick.
    static constexpr int kCircleCount = 8;
    static constexpr int kTicks = 10;
    static constexpr int kTickIntervalMs = 100;

    // Creates the hidden dialog with its circles, timer and ring.
    explicit TCountDownDlg(QWidget *parent = nullptr);
    // Frees the ring.
    ~TCountDownDlg() override;

    // Shows every circle, starts the timer and runs the dialog modally until it closes itself.
    virtual void StartCountDown();
    // Stops a countdown still running (pausing as a stopped timer does) and hides the dialog.
    virtual void StopCountDown();
    // Refused: Escape and a close request do not cut the countdown short; it ends by its timer
    // or StopCountDown.
    void reject() override;

    // Circle `index` of the ring (0 = Shape1 at the top, clockwise).
    TjvShape *Shape(int index) const { return FShapes.at(static_cast<size_t>(index)); }
    // The ring that recolours the circles.
    TRoundRobin *RoundRobin() const { return FRoundRobin.get(); }
    // The timer that drives the countdown.
    TProcessTimer *ProcessTimer() const { return FProcessTimer; }

private:
    void FormCreate();
    void FormDestroy();
    void ProcessTimerTimer(TProcessTimer *sender);
    void ProcessTimerStop(TProcessTimer *sender);
    TjvShape *CreateCircle(int left, int top);
    void MaskToCircles();

    std::array<TjvShape *, kCircleCount> FShapes{};
    TProcessTimer *FProcessTimer = nullptr;
    std::unique_ptr<TRoundRobin> FRoundRobin;
};

// The application's countdown dialog: created at start, after the progress dialog, and freed at
// the end; null until then.
extern TCountDownDlg *CountDownDlg;

} // namespace morlith
