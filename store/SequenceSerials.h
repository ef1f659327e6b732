// SPDX-License-Identifier: MIT
#pragma once
// A station's serial numbers from a sequence of the store, as a unit's source of numbers: one at a
// time, or through the station's durable lease. What a killed run left in the lease is recorded
// as unused when the source opens; what is left at a clean end, when it finishes.

#include "SerialLease.h"
#include "SerialSource.h"

#include <memory>

namespace morlith {

// The source of `serial` (a sequence) for `station`, its lease (when the recipe leases) kept in
// `leaseFolder`, made when missing. Numbers above `largest` are recorded as unused and refused.
// Null with `failure`: busy (another process of the station holds the lease), a damaged lease, a
// folder that cannot be made, a bad sequence name. A store that cannot be reached is no failure
// here: the lease goes on, and a unit is refused only when no number can be had.
std::unique_ptr<TSerialSource> OpenSequenceSerials(std::shared_ptr<TStore> store, const TRecipeSerial &serial,
                                                   uint64_t largest, const std::string &station,
                                                   const std::string &leaseFolder, TFailure &failure);

} // namespace morlith
