// SPDX-License-Identifier: MIT
#pragma once
// TRoundRobin: a ring of shapes whose darkest colour moves one place clockwise per step.

#include <memory>
#include <vector>

namespace morlith {

class TjvShape;
class TProcessTimer;

// Recolours a ring of gradient shapes: at each step the shape at Position turns pure blue and
// the following ones lighter, so the shape just left behind is the lightest.
class TRoundRobin {
public:
    // Interval of the ring's own timer, in milliseconds.
    static constexpr int kOwnTimerIntervalMs = 200;

    // An empty ring at Position 0.
    TRoundRobin();
    // Stops and frees the ring's own timer; the shapes are not owned.
    ~TRoundRobin();
    TRoundRobin(const TRoundRobin &) = delete;
    TRoundRobin &operator=(const TRoundRobin &) = delete;

    // Appends a shape to the ring, unless the ring's own timer runs.
    void AddShape(TjvShape *shape);
    // Whether the ring's own timer runs.
    bool IsRunning() const;
    // Gives the shapes their colours from Position on and moves Position one place; an empty
    // ring does nothing.
    void Step();
    // Makes every shape visible.
    void ShowAll();
    // The shape that turns pure blue at the next step.
    int Position() const { return FPosition; }
    // The shapes, in ring order.
    const std::vector<TjvShape *> &Shapes() const { return FShapes; }
    // The ring's own timer (stepping with exceptions dropped); the countdown steps the ring
    // from its own timer instead.
    TProcessTimer &Timer() { return *FTimer; }

private:
    std::vector<TjvShape *> FShapes;
    std::unique_ptr<TProcessTimer> FTimer;
    int FPosition = 0;
};

} // namespace morlith
