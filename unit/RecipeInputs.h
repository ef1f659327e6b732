// SPDX-License-Identifier: MIT
#pragma once
// What a recipe's steps write, read once into memory and checked before any module is touched:
// packages a write would accept, data files that fit, hashes that match, counters that exist.

#include "Recipe.h"

#include <vector>

namespace morlith {

// Reads the input of every step that writes into `Inputs` (one per step; empty for read-dseg)
// and checks it without a module. Every mistake is returned, at the line of its step.
std::vector<TRecipeProblem> ReadRecipeInputs(const TRecipe &Recipe, std::vector<TOperationInput> &Inputs);

} // namespace morlith
