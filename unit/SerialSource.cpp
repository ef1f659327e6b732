// SPDX-License-Identifier: MIT
#include "SerialSource.h"

#include "CounterShare.h"
#include "ProgramRun.h"
#include "SerialCounter.h"

#include <cerrno>
#include <mutex>

namespace morlith {
namespace {

constexpr const char *kCommandStep = "taking the unit's serial number from its command";

// Numbers from a counter file, each under the counter's lock.
class TCounterSerials : public TSerialSource {
public:
    TCounterSerials(std::string path, uint64_t largest, std::function<void(const std::string &)> notice)
        : FPath(std::move(path)), FLargest(largest), FNotice(std::move(notice))
    {
    }

    bool Take(const std::function<bool()> &stopRequested, uint64_t &serial, TFailure &failure) override
    {
        TSerialCounter counter(FPath);
        counter.SetStopCheck(stopRequested);
        counter.SetWaitNotice(FNotice);
        return counter.Reserve(serial, failure, FLargest);
    }

private:
    std::string FPath;
    uint64_t FLargest;
    std::function<void(const std::string &)> FNotice;
};

// Numbers a program prints, one run per unit, one run at a time.
class TCommandSerials : public TSerialSource {
public:
    TCommandSerials(std::vector<std::string> words, std::string text, uint64_t largest)
        : FWords(std::move(words)), FText(std::move(text)), FLargest(largest)
    {
    }

    bool Take(const std::function<bool()> &, uint64_t &serial, TFailure &failure) override
    {
        std::lock_guard<std::mutex> hold(FGuard);
        TProgramRun run;
        run.Words = FWords;
        run.TimeLimitMs = kSerialCommandTimeLimitMs;
        run.LongestOutput = 256;
        const TProgramEnd end = RunProgram(run);
        if (!end.Started) {
            failure = FileFailure(end.Error, "run", FWords.front(), kCommandStep);
            failure.Detail = "the serial command " + FText + " could not be started: " + failure.Detail;
            return false;
        }
        if (end.TimedOut) {
            failure = MakeFailure(TFailureKind::fkNoReply,
                                  "the serial command " + FText + " printed no number within " +
                                      std::to_string(kSerialCommandTimeLimitMs / 1000) + " s and was stopped")
                          .During(kCommandStep);
            return false;
        }
        if (end.ExitStatus != 0) {
            failure = MakeFailure(TFailureKind::fkRefusedInput,
                                  "the serial command " + FText +
                                      (end.ExitStatus < 0 ? " was ended by a signal"
                                                          : " ended with status " + std::to_string(end.ExitStatus)) +
                                      "; its number, if any, is not used")
                          .During(kCommandStep);
            return false;
        }
        return ParseCommandSerial(end.OutputCut ? end.Output + "..." : end.Output, FText, FLargest, serial, failure);
    }

private:
    std::vector<std::string> FWords;
    std::string FText;
    uint64_t FLargest;
    std::mutex FGuard;
};

} // namespace

bool TSerialSource::Finish(TFailure &) { return true; }

bool ParseCommandSerial(const std::string &output, const std::string &command, uint64_t largest, uint64_t &serial,
                        TFailure &failure)
{
    std::string problem;
    uint64_t number = 0;
    if (!ParseCounterText(output, number, problem)) {
        failure = MakeFailure(TFailureKind::fkRefusedInput, "the output of the serial command " + command + " " + problem)
                      .During(kCommandStep);
        return false;
    }
    if (number > largest) {
        failure = MakeFailure(TFailureKind::fkRefusedInput, "the serial command " + command + " printed " +
                                                                std::to_string(number) + ", more than the field holds (" +
                                                                std::to_string(largest) + ")")
                      .During(kCommandStep);
        return false;
    }
    serial = number;
    return true;
}

std::unique_ptr<TSerialSource> OpenLocalSerials(const TRecipeSerial &serial, uint64_t largest, bool sharedCounter,
                                                std::function<void(const std::string &)> lockNotice,
                                                TFailure &failure)
{
    switch (serial.Origin) {
    case TSerialOrigin::soCounter:
        if (!CheckCounterShare(serial.Counter, NetworkFileSystemOf(serial.Counter),
                               sharedCounter || serial.SharedCounter, failure))
            return nullptr;
        return std::make_unique<TCounterSerials>(serial.Counter, largest, std::move(lockNotice));
    case TSerialOrigin::soCommand:
        return std::make_unique<TCommandSerials>(serial.Command, SerialOriginText(serial), largest);
    case TSerialOrigin::soSequence:
        break;
    }
    failure = MakeFailure(TFailureKind::fkRefusedInput, "the serial numbers come from the store's " +
                                                            SerialOriginText(serial) +
                                                            ", but no store is named: give --store URL or set "
                                                            "MORLITH_STORE")
                  .During("opening the source of serial numbers");
    return nullptr;
}

} // namespace morlith
