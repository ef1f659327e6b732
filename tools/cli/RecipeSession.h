// SPDX-License-Identifier: MIT
#pragma once
// `run RECIPE` on one port: the unit's run told to the reporter, its record in the production log.

#include "PortSession.h"
#include "UnitRun.h"

namespace morlith::cli {

class TRecipeSession : public TPortSession {
public:
    TRecipeSession(const TPortChoice &port, const TRecipeRun &run, uint32_t timeoutMs, bool verbose,
                   TSessionReporter &reporter, TConsole &console);

    void Run() override;

private:
    const TRecipeRun &FRun;
    TUnitRun FUnit;
};

} // namespace morlith::cli
