// SPDX-License-Identifier: MIT
// Arbitrary text read as a recipe: every input ends in a recipe or in problems that name a line,
// never in a crash, a hang or a stack overflow (deep keys, headers, arrays and inline tables).
// Nothing is read from the disk: the recipe's files are only named.

#include "Recipe.h"
#include "RecipeLogGuard.h"

#include <cstdlib>
#include <string>

using namespace morlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TRecipe recipe;
    const std::vector<TRecipeProblem> problems = ParseRecipe(text, "/nonexistent/line", recipe);
    for (const TRecipeProblem &problem : problems)
        if (problem.Text.empty() || problem.Line < 0 || DescribeProblem("r.toml", problem).empty())
            std::abort();
    if (!problems.empty())
        return 0;
    // A recipe taken as usable holds what a run relies on.
    for (const TRecipeStep &step : recipe.Steps) {
        if (step.Controllers.empty() || step.Path.empty())
            std::abort();
        for (const uint8_t controller : step.Controllers)
            if (controller > 4)
                std::abort();
        // A read-dseg name may hold any text: the log guard matches it without failing.
        (void)PatternMayName(step.Path, "/nonexistent/line/log.jsonl");
    }
    (void)recipe.SerialLimit();
    return 0;
}
