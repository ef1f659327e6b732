// SPDX-License-Identifier: MIT
#include "RoundRobin.h"

#include "ProcessTimer.h"
#include "jvShape.h"

#include <cstdint>

namespace morlith {

namespace {

// The spread of lightness over the ring: the last shape gets at most this much red and green.
constexpr int kLightnessSpread = 205;

} // namespace

TRoundRobin::TRoundRobin() : FTimer(std::make_unique<TProcessTimer>())
{
    FTimer->SetInterval(kOwnTimerIntervalMs);
    FTimer->OnTimer = [this](TProcessTimer *) {
        try {
            Step();
        } catch (...) {
            // A failed step only skips one animation frame.
        }
    };
}

TRoundRobin::~TRoundRobin()
{
    FTimer->SetRunning(false);
}

void TRoundRobin::AddShape(TjvShape *shape)
{
    if (!IsRunning() && shape)
        FShapes.push_back(shape);
}

bool TRoundRobin::IsRunning() const
{
    return FTimer->Running();
}

void TRoundRobin::Step()
{
    const int count = static_cast<int>(FShapes.size());
    if (count == 0)
        return;
    const auto spacing = static_cast<uint8_t>(kLightnessSpread / count);
    uint8_t lightness = 0;
    int index = FPosition % count;
    for (int k = 0; k < count; ++k) {
        FShapes[static_cast<size_t>(index)]->SetGradientColor(QColor(lightness, lightness, 255));
        lightness = static_cast<uint8_t>(lightness + spacing);
        index = (index + 1) % count;
    }
    FPosition = (FPosition + 1) % count;
}

void TRoundRobin::ShowAll()
{
    for (TjvShape *shape : FShapes)
        shape->setVisible(true);
}

} // namespace morlith
