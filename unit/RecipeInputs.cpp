// SPDX-License-Identifier: MIT
#include "RecipeInputs.h"

#include "NumberText.h"
#include "PackageAcceptance.h"
#include "CounterShare.h"
#include "PathText.h"
#include "SerialCounter.h"

#include <filesystem>
#include <map>

namespace morlith {
namespace {

// The data segment each controller has after the recipe's application writes so far, as their
// packages' headers give it.
using TSegmentLengths = std::map<uint8_t, uint16_t>;

// Where each controller's serial field was written, by line.
using TWrittenFields = std::map<uint8_t, const TRecipeStep *>;

void CheckTemplate(const TRecipeStep &step, const TOperationInput &input, const TCounterWait &wait,
                   std::vector<TRecipeProblem> &problems)
{
    const TRecipeSerial &serial = *step.Serial;
    TFailure failure;
    if (!CheckSerialField(serial.Field, input.Bytes.size(), failure))
        problems.push_back({serial.Line, 0, step.File + ": " + failure.Detail});
    // A sequence is the store's, a command's number comes only when a unit asks for it.
    if (serial.Origin != TSerialOrigin::soCounter)
        return;
    if (!CheckCounterShare(serial.Counter, NetworkFileSystemOf(serial.Counter),
                           wait.SharedCounter || serial.SharedCounter, failure))
        problems.push_back({serial.Line, 0, failure.Detail});
    uint64_t next = 0;
    TSerialCounter counter(serial.Counter);
    counter.SetStopCheck(wait.StopRequested);
    counter.SetWaitNotice(wait.Notice);
    if (!counter.Next(next, failure))
        problems.push_back({serial.Line, 0, failure.Detail});
    else if (next > LargestSerial(serial.Field.Width))
        problems.push_back({serial.Line, 0, "serial counter " + serial.Counter + " is at " + std::to_string(next) +
                                                ", more than " + std::to_string(serial.Field.Width) +
                                                (serial.Field.Width == 1 ? " byte holds" : " bytes hold")});
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

// A data file written over a serial field written before on the same controller replaces it: the
// unit's number would not be in its module.
void CheckFieldWrittenOnce(const TRecipeStep &step, const TOperationInput &input, TWrittenFields &written,
                           std::vector<TRecipeProblem> &problems)
{
    for (const uint8_t controller : step.Controllers) {
        const auto earlier = written.find(controller);
        if (earlier != written.end() && input.Bytes.size() > earlier->second->Serial->Field.Offset)
            problems.push_back({step.Line, 0, step.File + " is written over the serial field that line " +
                                                  std::to_string(earlier->second->Serial->Line) +
                                                  " writes on controller " + std::to_string(controller)});
        if (step.Serial)
            written[controller] = &step;
    }
}

// A reading needs its folder, and a file of its own: two readings into one name would find the
// first's file.
void CheckReading(const TRecipe &Recipe, size_t index, std::vector<TRecipeProblem> &problems)
{
    namespace fs = std::filesystem;
    const TRecipeStep &step = Recipe.Steps[index];
    std::error_code error;
    // A name without fields is the same for every unit: one there already stops them all.
    if (step.Path.find('{') == std::string::npos &&
        fs::symlink_status(PathFromUtf8(step.Path), error).type() != fs::file_type::not_found)
        problems.push_back({step.Line, 0, step.File + " exists; a reading never replaces a file "
                                                      "(put {serial} or {unit} in its name)"});
    const fs::path folder = PathFromUtf8(step.Path).parent_path();
    if (!folder.empty() && Utf8OfPath(folder).find('{') == std::string::npos && !fs::is_directory(folder, error))
        problems.push_back({step.Line, 0, "the folder of " + step.File + ", " + Utf8OfPath(folder) +
                                              ", is not there: the reading could not be saved"});
    for (size_t other = 0; other < index; ++other)
        if (Recipe.Steps[other].Kind == TOperationKind::okReadDataSegment && Recipe.Steps[other].Path == step.Path)
            problems.push_back({step.Line, 0, step.File + " is read into by line " +
                                                  std::to_string(Recipe.Steps[other].Line) +
                                                  " too; each reading needs a name of its own"});
}

// The recipe's trusted keys, each key file that cannot be read a problem at its line.
TTrustedKeys ReadTrustedKeys(const TRecipe &Recipe, std::vector<TRecipeProblem> &problems)
{
    TTrustedKeys keys;
    for (const TRecipeKey &key : Recipe.TrustedKeys) {
        const TFailure failure = keys.AddKeyFile(key.Path);
        if (failure.Failed())
            problems.push_back({key.Line, 0, failure.Detail});
    }
    return keys;
}

} // namespace

std::vector<TRecipeProblem> ReadRecipeInputs(const TRecipe &Recipe, std::vector<TOperationInput> &Inputs,
                                             const TCounterWait &Wait)
{
    std::vector<TRecipeProblem> problems;
    Inputs.assign(Recipe.Steps.size(), TOperationInput{});
    const TTrustedKeys keys = ReadTrustedKeys(Recipe, problems);
    TSegmentLengths lengths;
    TWrittenFields written;
    for (size_t i = 0; i < Recipe.Steps.size(); ++i) {
        const TRecipeStep &step = Recipe.Steps[i];
        if (step.Kind == TOperationKind::okReadDataSegment) {
            CheckReading(Recipe, i, problems);
            continue;
        }
        TOperationInput &input = Inputs[i];
        TFailure failure = ReadOperationInput(step.Kind, step.Path, step.File, input);
        if (!failure.Failed())
            failure = CheckExpectedSha256(input, step.ExpectSha256);
        if (!failure.Failed())
            failure = CheckInputSignature(keys, input);
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
        CheckFieldWrittenOnce(step, input, written, problems);
        if (step.Serial)
            CheckTemplate(step, input, Wait, problems);
    }
    return problems;
}

} // namespace morlith
