// SPDX-License-Identifier: MIT
#include "RecipeRunner.h"

#include "ComPortProgrammator.h"
#include "JsonLines.h"
#include "PathText.h"
#include "Sha256.h"
#include "TextFill.h"
#include "UnitFields.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace morlith {
namespace {

} // namespace

std::string FillFileFields(const std::string &Pattern, const TUnitFields &Fields, uint8_t Controller)
{
    std::string name = ReplaceAll(Pattern, kSerialField, Fields.Serial ? std::to_string(*Fields.Serial) : "none");
    name = ReplaceAll(name, kUnitField, Fields.UnitId);
    name = ReplaceAll(name, kPortField, Fields.Port);
    name = ReplaceAll(name, kMcuField, std::to_string(Controller));
    return ReplaceAll(name, kTimeField, Fields.Time);
}

std::string UnitTimeText(std::chrono::system_clock::time_point When)
{
    std::string text = IsoUtcTime(When);
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '-' || c == ':'; }), text.end());
    return text;
}

std::string UnitStepName(TOperationKind Kind, const std::string &File, uint8_t Controller)
{
    return std::string(OperationCommand(Kind)) + " " + File + ", " +
           (Controller == 0 ? std::string("main controller") : "controller " + std::to_string(Controller));
}

TRecipeRunner::TRecipeRunner(TComPortProgrammator &Programmator, const TRecipe &Recipe,
                             const std::vector<TOperationInput> &Inputs, TUnitFields Fields)
    : FProgrammator(Programmator), FRecipe(Recipe), FInputs(Inputs), FFields(std::move(Fields))
{
    for (size_t i = 0; i < FRecipe.Steps.size(); ++i) {
        const TRecipeStep &step = FRecipe.Steps[i];
        for (const uint8_t controller : step.Controllers) {
            TUnitStep unitStep;
            unitStep.Kind = step.Kind;
            unitStep.Controller = controller;
            if (step.Kind != TOperationKind::okReadDataSegment && i < FInputs.size())
                unitStep.Sha256 = FInputs[i].Sha256;
            FSteps.push_back(unitStep);
            FRecipeStep.push_back(i);
        }
    }
    NameSteps();
}

void TRecipeRunner::NameSteps()
{
    for (size_t i = 0; i < FSteps.size(); ++i) {
        const TRecipeStep &step = FRecipe.Steps[FRecipeStep[i]];
        TUnitStep &unitStep = FSteps[i];
        const bool reading = step.Kind == TOperationKind::okReadDataSegment;
        unitStep.File = reading ? FillFileFields(step.Path, FFields, unitStep.Controller) : step.Path;
        unitStep.Name = UnitStepName(
            step.Kind, reading ? FillFileFields(step.File, FFields, unitStep.Controller) : step.File, unitStep.Controller);
    }
}

void TRecipeRunner::SetSerial(uint64_t Serial)
{
    FFields.Serial = Serial;
    NameSteps();
}

void TRecipeRunner::SetHandshakeRetries(uint32_t Retries, TRetryPause Pause)
{
    FRetries = Retries;
    FPause = std::move(Pause);
}

uint64_t TRecipeRunner::DurationMs() const
{
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(FEnd - FStart).count());
}

bool TRecipeRunner::Fail(size_t Index, TFailure Failure)
{
    FFailedStep = Index;
    FSteps[Index].Skipped = false;
    FSteps[Index].Failure = Failure;
    Failure.Step = "step " + std::to_string(Index + 1) + " of " + std::to_string(FSteps.size()) + " (" +
                   FSteps[Index].Name + ")" + (Failure.Step.empty() ? "" : ": " + Failure.Step);
    FFailure = Failure;
    return false;
}

bool TRecipeRunner::Prepare()
{
    std::set<std::filesystem::path> made;
    for (size_t i = 0; i < FSteps.size(); ++i) {
        if (FSteps[i].Kind != TOperationKind::okReadDataSegment)
            continue;
        // A name with the serial number is known once the number is.
        if (!FFields.Serial && FRecipe.Steps[FRecipeStep[i]].File.find(kSerialField) != std::string::npos)
            continue;
        const std::filesystem::path path = PathFromUtf8(FSteps[i].File);
        std::error_code error;
        const bool exists =
            std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
        if (exists || !made.insert(std::filesystem::absolute(path, error).lexically_normal()).second) {
            TFailure failure = MakeFailure(TFailureKind::fkRefusedInput,
                                           FSteps[i].File + (exists ? " exists" : " is read into twice") +
                                               "; a reading never replaces a file (put {serial} or {unit} in its name)");
            failure.Path = FSteps[i].File;
            return Fail(i, failure.During("checking the files to make, before connecting"));
        }
    }
    return true;
}

bool TRecipeRunner::Select(TOperationRunner &Runner, uint8_t Controller, int32_t PortNumber)
{
    if (FSelected == Controller)
        return true;
    // The first step connects (selecting its controller); a later one selects another
    // controller on the same connection, with no new handshake of the port.
    const bool connected = FSelected.has_value()
                               ? Runner.Select(PortNumber)
                               : Runner.ConnectRetrying(PortNumber, FPause ? FRetries : 0, [this](uint32_t) { return FPause(); });
    if (!FProgrammator.Driver().OpenedDevice().empty())
        FDevice = FProgrammator.Driver().OpenedDevice();
    if (!connected)
        return false;
    FSelected = Controller;
    return true;
}

TFailure TRecipeRunner::InputFor(size_t RecipeStep, TOperationInput &Input) const
{
    Input = FInputs[RecipeStep];
    const TRecipeStep &step = FRecipe.Steps[RecipeStep];
    if (!step.Serial)
        return TFailure{};
    TFailure failure;
    if (!FFields.Serial) {
        failure = MakeFailure(TFailureKind::fkRefusedInput, "no serial number was reserved for the unit");
    } else if (FillSerial(FInputs[RecipeStep].Bytes, step.Serial->Field, *FFields.Serial, Input.Bytes, failure)) {
        // The unit's own bytes are what the log fingerprints.
        failure = AcceptOperationInput(step.Kind, Input);
    }
    return failure.Failed() ? failure.During("filling in the serial number") : failure;
}

bool TRecipeRunner::ObtainSerial(int32_t PortNumber)
{
    size_t Index = 0;
    while (!FRecipe.Steps[FRecipeStep[Index]].Serial)
        ++Index;
    const uint8_t controller = FSteps[Index].Controller;
    const TRecipeSerial &serial = *FRecipe.Steps[FRecipeStep[Index]].Serial;
    std::optional<uint64_t> held;
    if (serial.Keep) {
        TOperationRunner reader(FProgrammator, TOperationKind::okReadDataSegment, controller, TOperationInput{});
        if (FListener)
            reader.SetFrameListener(FListener);
        const bool read = Select(reader, controller, PortNumber) && reader.Perform();
        reader.Conclude();
        if (!read) {
            TFailure failure = reader.Failure();
            return Fail(Index, failure.During("reading the serial number the module holds"));
        }
        held = SerialHeldIn(reader.Data(), serial.Field);
    }
    TFailure failure;
    const std::optional<uint64_t> number = FSerialSupply(held, failure);
    if (!number)
        return Fail(Index, failure);
    FSerialKept = held && *held == *number;
    SetSerial(*number);
    // Names with {serial} are known now.
    return Prepare();
}

bool TRecipeRunner::RunStep(size_t Index, int32_t PortNumber)
{
    TUnitStep &step = FSteps[Index];
    const size_t recipeStep = FRecipeStep[Index];
    if (FSerialSupply && !FFields.Serial && FRecipe.Serial() && !ObtainSerial(PortNumber))
        return false;
    const auto start = std::chrono::steady_clock::now();
    step.Skipped = false;
    TOperationInput input;
    if (step.Kind != TOperationKind::okReadDataSegment) {
        const TFailure failure = InputFor(recipeStep, input);
        if (failure.Failed())
            return Fail(Index, failure);
    }
    step.Sha256 = input.Sha256;
    step.SignerKeyId = input.SignerKeyId;
    step.TrustedComment = input.TrustedComment;
    TOperationRunner runner(FProgrammator, step.Kind, step.Controller, input);
    if (FListener)
        runner.SetFrameListener(FListener);
    runner.SetSkipIfCurrent(FRecipe.Steps[recipeStep].SkipIfCurrent);
    bool done = Select(runner, step.Controller, PortNumber) && runner.Perform();
    if (done && FRecipe.Steps[recipeStep].Verify)
        done = runner.Verify();
    if (done && step.Kind == TOperationKind::okReadDataSegment) {
        done = runner.SaveData(step.File, TExistingFile::efKeep);
        step.Sha256 = Sha256Hex(runner.Data().data(), runner.Data().size());
    }
    runner.Conclude();
    step.AlreadyCurrent = runner.Skipped();
    step.DurationMs =
        uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    if (!done) {
        step.ModuleState = runner.ModuleState();
        return Fail(Index, runner.Failure());
    }
    step.Done = true;
    return true;
}

bool TRecipeRunner::Run(int32_t PortNumber)
{
    FStart = std::chrono::steady_clock::now();
    bool done = true;
    for (size_t i = 0; i < FSteps.size() && done; ++i) {
        if (FProgress)
            FProgress(i, FSteps.size(), FSteps[i].Name);
        done = RunStep(i, PortNumber);
    }
    FEnd = std::chrono::steady_clock::now();
    return done;
}

void TRecipeRunner::Goodbye() { FProgrammator.Disconnect(); }

} // namespace morlith
