// SPDX-License-Identifier: MIT
#pragma once
// Where a station's units take their serial numbers: one object a unit asks for its number once
// its module has answered and before anything is written to it. A counter file and a program's
// output are here; a sequence of the shared store is the store's own source. Every source gives a
// number to one unit only, and is safe to ask from several units at once.

#include "Failure.h"
#include "Recipe.h"

#include <functional>
#include <memory>
#include <string>

namespace morlith {

class TSerialSource {
public:
    virtual ~TSerialSource() = default;
    // The next number for one unit, at most the largest its field holds. `stopRequested` ends a
    // wait (for another station's lock). False with `failure`, its kind saying why (store,
    // refused_input, no_reply, stopped, ...); no number is then the unit's.
    virtual bool Take(const std::function<bool()> &stopRequested, uint64_t &serial, TFailure &failure) = 0;
    // At a clean end: numbers held for units and not used are recorded as unused. False with
    // `failure` when they could not be (they are then recorded at the next start).
    virtual bool Finish(TFailure &failure);
};

// How long a serial command may take to print its number.
constexpr uint32_t kSerialCommandTimeLimitMs = 10000;

// The source of `serial` when it is a counter file or a command; numbers above `largest` are
// refused. A counter on a network file system is refused unless `sharedCounter` (or the recipe's
// shared-counter) says the site checked its locking; `lockNotice` is told what a counter waits
// for while another program holds its lock. Null with `failure` (refused_input) for a store's
// sequence, which the front end opens from its store, or a counter refused.
std::unique_ptr<TSerialSource> OpenLocalSerials(const TRecipeSerial &serial, uint64_t largest, bool sharedCounter,
                                                std::function<void(const std::string &)> lockNotice,
                                                TFailure &failure);

// The number a serial command's output holds, checked as a counter's text and against `largest`.
// False with `failure` (refused_input) naming `command`.
bool ParseCommandSerial(const std::string &output, const std::string &command, uint64_t largest, uint64_t &serial,
                        TFailure &failure);

} // namespace morlith
