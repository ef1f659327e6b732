// SPDX-License-Identifier: MIT
#include "PollTimer.h"

namespace morlith {
namespace {

PollTimerFactory &Factory()
{
    static PollTimerFactory factory;
    return factory;
}

} // namespace

void SetPollTimerFactory(PollTimerFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IPollTimer> CreatePollTimer()
{
    const auto &factory = Factory();
    return factory ? factory() : nullptr;
}

} // namespace morlith
