// SPDX-License-Identifier: MIT
#pragma once
// The production log never lands on a file a recipe reads or makes: appending records to a
// package, a counter or a reading would destroy it, and a reading made over the log would lose
// every record.

#include "Failure.h"
#include "Recipe.h"

#include <string>

namespace morlith {

// A refused_input failure naming the file when `LogPath` is one that `Recipe` uses: the recipe
// itself, a step's file, a trusted key, a serial counter or its lock file, or a name that a
// read-dseg step's fields ({serial}, {unit}, {port}, {mcu}, {time}) can make. No failure otherwise.
TFailure RecipeLogRefusal(const TRecipe &Recipe, const std::string &LogPath);

// True when some filling of the fields of the read-dseg name `Pattern` names the file `Path`
// (both compared as absolute paths, links in their plain folders resolved).
bool PatternMayName(const std::string &Pattern, const std::string &Path);

} // namespace morlith
