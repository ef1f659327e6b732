// SPDX-License-Identifier: MIT
// Every file-system call of the commands that write files, made to fail in turn (EIO, ENOSPC) or
// to kill the program, through a preloaded library: pack, read-dseg (replacing a file and making
// a new one, placed by a link), write-dseg with a production log, a recipe run that takes a serial
// number (the counter, its lock and the reading named by the number), and the configuration's save. Each time the
// failure has a file kind and its exit status, the user's file is either as it was or complete,
// the log holds whole records only, and a program that was not killed leaves no temporary file.
// The clean run shows the file made durable: synced after its last write and before the rename
// or link that puts it in place, and its folder synced after that.

#include "CliFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace morlith::test {
namespace {

const char *const kActions[] = {"EIO", "ENOSPC", "KILL"};
constexpr int kKilled = 128 + SIGKILL;

// One command that writes a file, and the file that must stay whole.
struct TFileOperation {
    const char *Name;
    std::vector<std::string> Arguments; // morlith-cli's, or the configuration saver's port
    bool SavesConfiguration = false;
    const char *Target; // the user's file
    bool TargetExists = true; // the file is there before the command runs
    bool IsLog = false; // the target is a production log: records are appended to it
    // The target's text before and after a run that succeeded, when the test knows them: a serial
    // counter, written with its recipe.
    const char *CounterBefore = nullptr;
    const char *CounterAfter = nullptr;
    // The target is a link of the port map, which points to "/dev/old0" before the run; the
    // folder below the test's that the calls are not counted in (the served module's link).
    bool IsPortMapLink = false;
    const char *Skip = "morlith";
};

const TFileOperation kOperations[] = {
    {"Pack", {"--json", "pack", "app.bin", "--out", "app.xml", "--dseg-length", "16", "--force"}, false, "app.xml"},
    {"ReadDsegReplacing", {"--json", "--port", "COM1", "read-dseg", "--force", "dump.bin"}, false, "dump.bin"},
    {"ReadDsegNew", {"--json", "--port", "COM1", "read-dseg", "dump.bin"}, false, "dump.bin", false},
    {"WriteDsegLog", {"--json", "--port", "COM1", "--log", "line.jsonl", "write-dseg", "data.bin"}, false,
     "line.jsonl", true, true},
    {"ConfigurationSave", {"4"}, true, "Config.mlhxml"},
    {"RunWithSerial", {"--json", "--port", "COM1", "run", "unit.toml"}, false, "serials.counter", true, false,
     "1041\n", "1042\n"},
    {"PortsMap", {"--json", "ports", "map", "COM7", "/dev/new0", "--force"}, false, "morlith/ports/COM7", true, false,
     nullptr, nullptr, true, "morlith/ports/COM1"},
};

const std::string kOldContent = "the user's previous file\n";
const std::string kOldRecord = "{\"schema\":1,\"result\":\"ok\"}\n";

// One counted call of the trace: "NUMBER CALL PATH".
struct TTracedCall {
    std::string Call;
    std::string Path;
    // A rename or a link: it puts a file in place under its name.
    bool Places() const { return Call == "rename" || Call == "renameat" || Call == "link" || Call == "linkat"; }
};

TTracedCall ParseCall(const std::string &line)
{
    std::istringstream words(line);
    long number = 0;
    TTracedCall call;
    words >> number >> call.Call;
    std::getline(words >> std::ws, call.Path);
    return call;
}

// Every file written is synced after its last write and before the next rename, and every rename
// is followed by a sync of the folder it renames in (`folder` for a relative name).
void ExpectDurable(const std::vector<std::string> &lines, const std::string &folder)
{
    std::vector<TTracedCall> calls;
    for (const std::string &line : lines)
        calls.push_back(ParseCall(line));
    const auto syncOf = [&](const std::string &path, size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            if ((calls[i].Call == "fsync" || calls[i].Call == "fdatasync") && calls[i].Path == path)
                return true;
        return false;
    };
    std::map<std::string, size_t> lastWrite;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].Call == "write")
            lastWrite[calls[i].Path] = i;
    for (const auto &[path, at] : lastWrite) {
        size_t rename = at;
        while (rename < calls.size() && !calls[rename].Places())
            ++rename;
        EXPECT_TRUE(syncOf(path, at, rename)) << path << " is not synced after its last write";
    }
    for (size_t i = 0; i < calls.size(); ++i) {
        if (!calls[i].Places())
            continue;
        const std::string parent = std::filesystem::path(calls[i].Path).parent_path().string();
        EXPECT_TRUE(syncOf(parent.empty() ? folder : parent, i, calls.size()))
            << "the folder of " << calls[i].Path << " is not synced after the " << calls[i].Call;
    }
}

class FileFaults : public CliTest, public ::testing::WithParamInterface<size_t> {
protected:
    void SetUp() override
    {
        TModuleServerOptions options;
        options.dataSegmentBytes = 200;
        options.dataSegmentForAll = Pattern(200, 5);
        Ports.Serve(1, options);
    }

    void TearDown() override
    {
        for (const char *name : {"LD_PRELOAD", "MORLITH_FAULT_ROOTS", "MORLITH_FAULT_SKIP", "MORLITH_FAULT_TRACE",
                                 "MORLITH_FAULT_AT", "MORLITH_FAULT_ACTION"})
            unsetenv(name);
        std::filesystem::remove(Trace());
    }

    // Puts the folder in the state every run starts from.
    void Prepare(const TFileOperation &op)
    {
        for (const auto &name : FolderEntries())
            if (name != "morlith")
                std::filesystem::remove_all(File(name));
        std::filesystem::remove(File("morlith/ports/COM7"));
        if (op.IsPortMapLink)
            std::filesystem::create_symlink("/dev/old0", File(op.Target));
        WriteBytes("app.bin", Pattern(300, 2));
        WriteBytes("data.bin", Pattern(120, 3));
        if (op.CounterBefore)
            WriteSerialRecipe("unit.toml");
        else if (op.SavesConfiguration)
            WriteText(File("Config.mlhxml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                             "<config Application=\"ORVELMorlith\" Version=\"1\"><Port>2</Port></config>\n");
        else if (op.IsLog)
            WriteText(File(op.Target), kOldRecord);
        else if (op.TargetExists)
            WriteText(File(op.Target), kOldContent);
    }

    // Runs the operation with the fault settings of the environment; its exit status and output.
    TCliRun Run(const TFileOperation &op)
    {
        setenv("LD_PRELOAD", MORLITH_FAULT_SHIM, 1);
        setenv("MORLITH_FAULT_ROOTS", Root().c_str(), 1);
        setenv("MORLITH_FAULT_SKIP", File(op.Skip).c_str(), 1);
        setenv("MORLITH_FAULT_TRACE", Trace().c_str(), 1);
        TCliRun run;
        if (op.SavesConfiguration)
            run = RunProgram(MORLITH_SAVE_CONFIGURATION, op.Arguments, Folder());
        else
            run = Cli(op.Arguments);
        unsetenv("LD_PRELOAD");
        return run;
    }

    // What the target holds: a file's text, or where a link of the port map points ("" when missing).
    std::string TargetText(const TFileOperation &op) const
    {
        if (!op.IsPortMapLink)
            return ReadText(File(op.Target));
        std::error_code error;
        return std::filesystem::read_symlink(File(op.Target), error).string();
    }

    // The test's folder, without the slash at its end.
    std::string Root() const { return File("").substr(0, File("").size() - 1); }
    // The trace of the counted calls lives outside the watched folder.
    std::string Trace() const { return Root() + "-calls"; }

};

// Records that are all whole lines, the previous one first.
void ExpectWholeRecords(const std::string &log, const std::string &context)
{
    ASSERT_EQ(log.rfind(kOldRecord, 0), 0u) << context << ": the previous record is gone:\n" << log;
    ASSERT_TRUE(log.empty() || log.back() == '\n') << context << ": a half record:\n" << log;
    size_t start = 0;
    while (start < log.size()) {
        const size_t end = log.find('\n', start);
        const std::string line = log.substr(start, end - start);
        EXPECT_TRUE(!line.empty() && line.front() == '{' && line.back() == '}') << context << ": " << line;
        start = end + 1;
    }
}

TEST_P(FileFaults, EveryFailingCallLeavesTheFilesWholeAndSaysSo)
{
    const TFileOperation &op = kOperations[GetParam()];
    Prepare(op);
    std::filesystem::remove(Trace());
    setenv("MORLITH_FAULT_AT", "0", 1);
    const TCliRun clean = Run(op);
    ASSERT_EQ(clean.Status, 0) << clean.Err << clean.Out;
    const std::string complete = TargetText(op);
    if (op.CounterAfter)
        ASSERT_EQ(complete, op.CounterAfter);
    const std::vector<std::string> calls = ReadLines(Trace());
    ASSERT_FALSE(calls.empty()) << "no file call was counted";
    ExpectDurable(calls, Root());
    std::cout << op.Name << ": " << calls.size() << " file calls, each tried with EIO, ENOSPC and a kill\n";

    // The syncs of a folder after a rename in it: until they succeed the new name may be lost.
    std::set<size_t> folderSyncs;
    for (size_t i = 0, renamed = 0; i < calls.size(); ++i) {
        const TTracedCall call = ParseCall(calls[i]);
        renamed += call.Places();
        if (renamed && call.Call.find("sync") != std::string::npos && std::filesystem::is_directory(call.Path))
            folderSyncs.insert(i + 1);
    }
    for (size_t at = 1; at <= calls.size(); ++at) {
        for (const char *action : kActions) {
            const std::string context = std::string(action) + " at call " + calls[at - 1];
            Prepare(op);
            std::filesystem::remove(Trace());
            setenv("MORLITH_FAULT_AT", std::to_string(at).c_str(), 1);
            setenv("MORLITH_FAULT_ACTION", action, 1);
            const TCliRun run = Run(op);
            const bool killed = std::string(action) == "KILL";
            const std::string after = TargetText(op);

            if (killed) {
                EXPECT_EQ(run.Status, kKilled) << context;
            } else if (!op.SavesConfiguration && run.Status != 0) {
                // The failure has a file kind and the status that goes with it.
                const std::string kind = FieldOf(ResultOf(run), "kind");
                EXPECT_TRUE(kind == "file" || kind == "refused_input") << context << ": " << run.Out << run.Err;
                EXPECT_EQ(run.Status, kind == "file" ? 1 : 2) << context << ": " << run.Out;
            } else {
                EXPECT_TRUE(run.Status == 0 || run.Status == 1) << context << ": " << run.Status;
            }
            if (!killed && !op.SavesConfiguration && folderSyncs.count(at)) {
                EXPECT_NE(run.Status, 0) << context << ": a rename not made durable reported as success";
            }
            if (op.IsLog) {
                ExpectWholeRecords(after, context);
            } else {
                const bool unchanged = op.SavesConfiguration ? after.find("<Port>2</Port>") != std::string::npos
                                       : op.CounterBefore ? after == op.CounterBefore
                                       : op.IsPortMapLink ? after == "/dev/old0"
                                       : (op.TargetExists ? after == kOldContent : !Exists(File(op.Target)));
                EXPECT_TRUE(unchanged || after == complete) << context << ": the file is neither as it was nor complete:\n"
                                                            << after;
                if (run.Status == 0) {
                    EXPECT_EQ(after, complete) << context << ": a success must leave the new file";
                }
            }
            // A temporary file is left only when the failure names it (data read but not placed),
            // or after a success whose clean-up call failed: the data is in place, and the hidden
            // name left beside it is removed by the next run that writes in the folder. (The
            // configuration's backup is kept after a failed save by design, under a visible name.)
            if (!killed && run.Status != 0) {
                for (const std::string &name : TemporaryFilesIn(Root()))
                    EXPECT_NE((run.Out + run.Err).find(name), std::string::npos) << context << ": " << name << " left";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WritingCommands, FileFaults, ::testing::Range(size_t(0), std::size(kOperations)),
                         [](const ::testing::TestParamInfo<size_t> &param) { return std::string(kOperations[param.param].Name); });

} // namespace
} // namespace morlith::test
