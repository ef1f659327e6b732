// SPDX-License-Identifier: MIT
#include "StoreCommands.h"

#include "HostName.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "PathText.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "StoreAddress.h"
#include "StoreSchema.h"
#include "StoreSequences.h"
#include "StoreUnits.h"
#include "SequenceSerials.h"
#include "UserPlaces.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace morlith::cli {
namespace {

// The store the options name; null when they name none or a bad one (then reported, `status`
// set). `without` says what is missing when none is named.
std::unique_ptr<TStore> StoreOf(const TCliOptions &options, TConsole &console, int &status, const std::string &without)
{
    const char *variable = std::getenv(kStoreVariable);
    TStoreAddress address;
    TFailure failure;
    if (ResolveStoreAddress(options.Store, variable ? variable : "", address, failure))
        return std::make_unique<TStore>(std::move(address));
    status = failure.Failed() ? Reject(console, options.Json, kExitBadInput, failure.During("naming the store"))
                              : Reject(console, options.Json, kExitBadInput, without);
    return nullptr;
}

const char *const kNoStore = "no store named: give --store URL or set MORLITH_STORE";

// A failure of the work on the store: refused input (a name, a move down) is the user's to
// mend (2); the store's own failure is a failed operation (1).
int Failed(const TCliOptions &options, TConsole &console, const TFailure &failure)
{
    return Reject(console, options.Json, failure.Kind == TFailureKind::fkRefusedInput ? kExitBadInput : kExitFailed,
                  failure);
}

void Result(const TCliOptions &options, TConsole &console, const TStore &store, TJson fields)
{
    if (!options.Json)
        return;
    TJson event = JsonEvent("result", {{"command", CommandName(options.Command)}, {"store", store.Address().Display}});
    event.update(fields);
    event["ok"] = true;
    event["status"] = kExitSuccess;
    console.Out(JsonLine(event));
}

void Say(const TCliOptions &options, TConsole &console, const std::string &line)
{
    if (!options.Json && !options.Quiet)
        console.Out(line);
}

std::string NextText(const std::optional<uint64_t> &next)
{
    return next ? std::to_string(*next) : "none left";
}

int ListSequencesOf(const TCliOptions &options, TConsole &console, TStore &store)
{
    std::vector<TSequenceInfo> sequences;
    TFailure failure;
    if (!ListSequences(store, sequences, failure))
        return Failed(options, console, failure);
    size_t width = 4;
    for (const TSequenceInfo &sequence : sequences)
        width = std::max(width, DisplayWidth(sequence.Name));
    if (!sequences.empty())
        Say(options, console, PadRight("NAME", width + 2) + "NEXT");
    else
        Say(options, console, "no sequences");
    for (const TSequenceInfo &sequence : sequences) {
        Say(options, console, PadRight(sequence.Name, width + 2) + NextText(sequence.Next));
        if (options.Json)
            console.Out(JsonLine(JsonEvent("sequence", {{"name", sequence.Name},
                                                        {"next", sequence.Next ? TJson(*sequence.Next) : TJson()}})));
    }
    Result(options, console, store, {{"sequences", sequences.size()}});
    return kExitSuccess;
}

} // namespace

int RunStoreInit(const TCliOptions &options, TConsole &console)
{
    int status = kExitSuccess;
    const std::unique_ptr<TStore> store = StoreOf(options, console, status, kNoStore);
    if (!store)
        return status;
    TStoreSchemaChange change;
    TFailure failure;
    if (!InitStore(*store, change, failure))
        return Failed(options, console, failure);
    const std::string version = std::to_string(change.After);
    Say(options, console,
        store->Address().Display + ": " +
            (change.Before == 0                ? "tables made, version " + version
             : change.Before == change.After ? "tables already at version " + version
                                             : "tables upgraded from version " + std::to_string(change.Before) +
                                                   " to " + version));
    Result(options, console, *store, {{"before", change.Before}, {"after", change.After}});
    return kExitSuccess;
}

int RunStoreSequence(const TCliOptions &options, TConsole &console)
{
    if (options.Arguments.empty() != !options.Next)
        return Reject(console, options.Json, kExitBadInput,
                      options.Next ? "--next needs the sequence's NAME" : "give the sequence's next number with --next N");
    if (options.Force && !options.Next)
        return Reject(console, options.Json, kExitBadInput, "--force goes with --next");
    int status = kExitSuccess;
    const std::unique_ptr<TStore> store = StoreOf(options, console, status, kNoStore);
    if (!store)
        return status;
    if (!options.Next)
        return ListSequencesOf(options, console, *store);
    const std::string &name = options.Arguments.front();
    TSequenceChange change = TSequenceChange::scUnchanged;
    uint64_t before = 0;
    TFailure failure;
    if (!SetSequence(*store, name, *options.Next, options.Force, HostName(), change, before, failure))
        return Failed(options, console, failure);
    const std::string next = std::to_string(*options.Next);
    Say(options, console,
        "sequence " + name + ": " +
            (change == TSequenceChange::scMade    ? "made, next " + next
             : change == TSequenceChange::scMoved ? "moved from " + std::to_string(before) + " to " + next
                                                  : "already at " + next));
    const char *changeName = change == TSequenceChange::scMade    ? "made"
                             : change == TSequenceChange::scMoved ? "moved"
                                                                  : "unchanged";
    Result(options, console, *store, {{"name", name}, {"change", changeName}, {"before", before}, {"next", *options.Next}});
    return kExitSuccess;
}

int RunStorePush(const TCliOptions &options, TConsole &console)
{
    // Every file is checked before anything is sent.
    for (const std::string &path : options.Arguments)
        if (!std::ifstream(PathFromUtf8(path), std::ios::binary))
            return Reject(console, options.Json, kExitBadInput,
                          FileFailure(errno ? errno : ENOENT, "open", path, "reading the production log " + path));
    int status = kExitSuccess;
    const std::unique_ptr<TStore> store = StoreOf(options, console, status, kNoStore);
    if (!store)
        return status;
    TPushCount total;
    for (const std::string &path : options.Arguments) {
        TPushCount count;
        TFailure failure;
        const bool pushed = PushLog(*store, path, count, failure);
        total.Records += count.Records;
        total.New += count.New;
        if (!pushed) {
            if (total.New > 0)
                console.Error(GroupThousands(total.New) + " new unit records reached the store before this failure");
            return Failed(options, console, failure);
        }
        Say(options, console,
            path + ": " + GroupThousands(count.Records) + (count.Records == 1 ? " unit record, " : " unit records, ") +
                GroupThousands(count.New) + " new");
        if (options.Json)
            console.Out(JsonLine(JsonEvent(
                "pushed", {{"file", path}, {"lines", count.Lines}, {"records", count.Records}, {"new", count.New}})));
    }
    Result(options, console, *store,
           {{"files", options.Arguments.size()}, {"records", total.Records}, {"new", total.New}});
    return kExitSuccess;
}

int ReadStoreLog(const TCliOptions &options, const TLogFilter &filter, const TLogVisitor &each, TConsole &console)
{
    int status = kExitSuccess;
    const std::unique_ptr<TStore> store =
        StoreOf(options, console, status, "log: give a FILE, or a store with --store URL or MORLITH_STORE");
    if (!store)
        return status;
    TUnitQuery query;
    query.Serial = filter.Serial;
    query.Unit = filter.Unit;
    query.Station = filter.Station;
    query.Lot = filter.Lot;
    std::vector<TUnitRow> units;
    TFailure failure;
    if (!FindUnits(*store, query, units, failure))
        return Failed(options, console, failure);
    for (const TUnitRow &unit : units) {
        const std::optional<nlohmann::json> record = ParseJsonLine(unit.Line);
        const std::optional<TUtcTime> time = record ? ParseUtcTime(JsonTextOf(*record, "time")) : std::nullopt;
        if (time && filter.Passes(*record, *time))
            each({*record, unit.Line, unit.Result == "started"});
    }
    return kExitSuccess;
}

std::string SerialStoreProblem(const TCliOptions &options, const TRecipe &recipe)
{
    const TRecipeSerial *serial = recipe.Serial();
    const char *variable = std::getenv(kStoreVariable);
    if (!serial || serial->Origin != TSerialOrigin::soSequence || !options.Store.empty() || (variable && *variable))
        return "";
    return "serial numbers come from the store's " + SerialOriginText(*serial) +
           ", but no store is named: give --store URL or set MORLITH_STORE";
}

TFailure OpenStoreSerials(const TCliOptions &options, TRecipeRun &run)
{
    const char *variable = std::getenv(kStoreVariable);
    TStoreAddress address;
    TFailure failure;
    if (!ResolveStoreAddress(options.Store, variable ? variable : "", address, failure)) {
        if (!failure.Failed())
            failure = MakeFailure(TFailureKind::fkRefusedInput, SerialStoreProblem(options, run.Recipe));
        return failure.During("naming the store");
    }
    // A lease is the station's: one without a name leases as its machine.
    const std::string station = run.Station.empty() ? HostName() : run.Station;
    run.Serials = OpenSequenceSerials(std::make_shared<TStore>(std::move(address)), *run.Recipe.Serial(),
                                      run.Recipe.SerialLimit(), station, UserStateFile("leases"), failure);
    return failure;
}

} // namespace morlith::cli
