// SPDX-License-Identifier: MIT
#include "RecipeInputs.h"

#include "NumberText.h"
#include "PackageAcceptance.h"
#include "SerialCounterCheck.h"

#include <map>

namespace morlith {
namespace {

// The data segment each controller has after the recipe's application writes so far, as their
// packages' headers give it.
using TSegmentLengths = std::map<uint8_t, uint16_t>;

void CheckTemplate(const TRecipeStep &step, const TOperationInput &input, std::vector<TRecipeProblem> &problems)
{
    const TRecipeSerial &serial = *step.Serial;
    const auto outside = [&](uint64_t end, const std::string &what) {
        if (end > input.Bytes.size())
            problems.push_back({serial.Line, 0, step.File + " is " + GroupThousands(input.Bytes.size()) +
                                                    " bytes: too short for " + what + " (up to byte " +
                                                    GroupThousands(end) + ")"});
    };
    outside(uint64_t(serial.Offset) + serial.Width, "the serial number");
    if (serial.Crc) {
        outside(uint64_t(serial.Crc->Offset) + 2, "the CRC");
        outside(serial.Crc->To, "the range the CRC covers");
    }
    const std::string problem = CheckSerialCounter(serial.Counter, serial.Width);
    if (!problem.empty())
        problems.push_back({serial.Line, 0, problem});
}

void CheckSegmentLength(const TRecipeStep &step, const TOperationInput &input, const TSegmentLengths &lengths,
                        std::vector<TRecipeProblem> &problems)
{
    for (const uint8_t controller : step.Controllers) {
        const auto length = lengths.find(controller);
        if (length == lengths.end() || input.Bytes.size() <= length->second)
            continue;
        problems.push_back({step.Line, 0, step.File + " is " + GroupThousands(input.Bytes.size()) +
                                              " bytes; the package written before gives controller " +
                                              std::to_string(controller) + " a data segment of " +
                                              GroupThousands(length->second)});
    }
}

} // namespace

std::vector<TRecipeProblem> ReadRecipeInputs(const TRecipe &Recipe, std::vector<TOperationInput> &Inputs)
{
    std::vector<TRecipeProblem> problems;
    Inputs.assign(Recipe.Steps.size(), TOperationInput{});
    TSegmentLengths lengths;
    for (size_t i = 0; i < Recipe.Steps.size(); ++i) {
        const TRecipeStep &step = Recipe.Steps[i];
        if (step.Kind == TOperationKind::okReadDataSegment)
            continue;
        TOperationInput &input = Inputs[i];
        TFailure failure = ReadOperationInput(step.Kind, step.Path, step.File, input);
        if (!failure.Failed())
            failure = CheckExpectedSha256(input, step.ExpectSha256);
        if (failure.Failed()) {
            problems.push_back({step.Line, 0, failure.Detail});
            continue;
        }
        if (step.Kind == TOperationKind::okWriteApplication) {
            for (const uint8_t controller : step.Controllers)
                lengths[controller] = HeaderWords(input.Header)[2];
            continue;
        }
        CheckSegmentLength(step, input, lengths, problems);
        if (step.Serial)
            CheckTemplate(step, input, problems);
    }
    return problems;
}

} // namespace morlith
