// SPDX-License-Identifier: MIT
#pragma once
// What a recipe's steps write, read once into memory and checked before any module is touched:
// packages a write would accept, data files that fit, hashes that match, counters that exist.

#include "Recipe.h"

#include <functional>
#include <string>
#include <vector>

namespace morlith {

// How a look at the serial counter waits for another program's lock: a stop request ends it, and
// a wait of more than a second is told.
struct TCounterWait {
    std::function<bool()> StopRequested;
    std::function<void(const std::string &What)> Notice;
    // The site checked that a counter on a network share locks across machines.
    bool SharedCounter = false;
};

// Reads the input of every step that writes into `Inputs` (one per step; empty for read-dseg)
// and checks it without a module: what it writes (packages a write accepts, signatures, data that
// fits, fields inside their template and written once) and what it reads into (folders that are
// there, one file per reading), and the counter. Every mistake is returned, at the line of its step.
std::vector<TRecipeProblem> ReadRecipeInputs(const TRecipe &Recipe, std::vector<TOperationInput> &Inputs,
                                             const TCounterWait &Wait = {});

} // namespace morlith
