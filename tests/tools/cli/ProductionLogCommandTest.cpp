// SPDX-License-Identifier: MIT
// --log on the device commands and `morlith-cli log`: one record per module and operation, failures
// with their kind, step and what the module holds, a log that cannot be opened, parallel runs.

#include "CliFixture.h"
#include "ProductionLog.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "Sha256.h"
#include "Utf8Text.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace morlith::test {
namespace {

using ProductionLog = CliTest;
using TJsonValue = nlohmann::json;

// The records of a log, parsed; a line that does not parse fails the test.
std::vector<TJsonValue> Records(const std::string &path)
{
    std::vector<TJsonValue> records;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        auto record = ParseJsonLine(line);
        EXPECT_TRUE(record) << line;
        if (record)
            records.push_back(*record);
    }
    return records;
}

std::string Sha256Of(const std::string &path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return Sha256Hex(bytes.data(), bytes.size());
}

TEST_F(ProductionLog, AWriteAppendsOneRecordWithThePackageAndTheDevice)
{
    TModuleServer &module = Ports.Serve(3);
    const std::string package = WritePackage("app.xml", Pattern(260, 1), 32);
    ASSERT_EQ(Cli({"-p3", "--log", "line.jsonl", "connect"}).Status, 0);
    const TCliRun run = Cli({"-p3", "-m2", "--log", "line.jsonl", "write-app", package});
    ASSERT_EQ(run.Status, 0) << run.Err;

    const auto records = Records(File("line.jsonl"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(JsonTextOf(records[0], "command"), "connect");
    const TJsonValue &write = records[1];
    EXPECT_EQ(*JsonField(write, "schema"), 1);
    EXPECT_EQ(JsonTextOf(write, "tool"), "morlith-cli");
    EXPECT_FALSE(JsonTextOf(write, "version").empty());
    EXPECT_FALSE(JsonTextOf(write, "host").empty());
    EXPECT_EQ(JsonTextOf(write, "time").back(), 'Z');
    EXPECT_EQ(JsonTextOf(write, "command"), "write-app");
    EXPECT_EQ(JsonTextOf(write, "port"), "COM3");
    EXPECT_EQ(JsonTextOf(write, "device"), std::filesystem::canonical(module.SlavePath()).string());
    EXPECT_EQ(*JsonField(write, "controller"), 2);
    const TJsonValue *packageField = JsonField(write, "package");
    ASSERT_TRUE(packageField);
    EXPECT_EQ(JsonTextOf(*packageField, "path"), package);
    EXPECT_EQ(JsonTextOf(*packageField, "sha256"), Sha256Of(package));
    EXPECT_EQ(*JsonField(*packageField, "image_length"), 260);
    EXPECT_EQ(JsonTextOf(*packageField, "image_crc").substr(0, 2), "0x");
    EXPECT_EQ(JsonTextOf(write, "result"), "ok");
    EXPECT_FALSE(JsonField(write, "error"));
    EXPECT_TRUE(JsonField(write, "duration_ms"));
}

TEST_F(ProductionLog, AFailureIsLoggedWithItsKindStepAndWhatTheModuleHolds)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 9;
    Ports.Serve(1, options);
    const std::string package = WritePackage("app.xml", Pattern(1000, 2));
    const TCliRun run = Cli({"--port", "COM1", "--log", "line.jsonl", "write-app", package});
    EXPECT_EQ(run.Status, 1);
    const auto records = Records(File("line.jsonl"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(JsonTextOf(records[0], "result"), "failed");
    const TJsonValue *error = JsonField(records[0], "error");
    ASSERT_TRUE(error);
    EXPECT_EQ(JsonTextOf(*error, "kind"), "hangup");
    EXPECT_NE(JsonTextOf(*error, "step").find("application chunk"), std::string::npos) << JsonTextOf(*error, "step");
    EXPECT_EQ(JsonTextOf(records[0], "module_state").rfind("application partly written", 0), 0u)
        << JsonTextOf(records[0], "module_state");
}

TEST_F(ProductionLog, ALogThatCannotBeOpenedStopsTheCommandBeforeAnythingIsSent)
{
    TModuleServer &module = Ports.Serve(2);
    std::filesystem::create_directory(File("folder.jsonl"));
    for (const std::string &log : {File("folder.jsonl"), File("missing/line.jsonl")}) {
        const TCliRun run = Cli({"-p2", "--log", log, "--json", "connect"});
        EXPECT_EQ(run.Status, 2) << log;
        EXPECT_NE(run.Err.find("--log"), std::string::npos) << run.Err;
        EXPECT_NE(run.Out.find("\"ok\":false"), std::string::npos) << run.Out;
    }
    EXPECT_EQ(Commands(module), "");
}

TEST_F(ProductionLog, ReadsAndWritesOfTheDataSegmentNameTheirFileAndItsFingerprint)
{
    ServeSegment(1, 40, 3);
    ServeSegment(2, 40, 3);
    ASSERT_EQ(Cli({"-pCOM1,COM2", "--log", "line.jsonl", "read-dseg", "seg-{port}.bin"}).Status, 0);
    const std::string data = WriteBytes("new.bin", Pattern(40, 4));
    ASSERT_EQ(Cli({"-p1", "--log", "line.jsonl", "write-dseg", data}).Status, 0);

    const auto records = Records(File("line.jsonl"));
    ASSERT_EQ(records.size(), 3u);
    std::set<std::string> readInto;
    for (size_t i = 0; i < 2; ++i) {
        const TJsonValue *file = JsonField(records[i], "data_file");
        ASSERT_TRUE(file);
        readInto.insert(JsonTextOf(*file, "path"));
        EXPECT_EQ(JsonTextOf(*file, "sha256"), Sha256Of(File(JsonTextOf(*file, "path")))) << JsonTextOf(*file, "path");
    }
    EXPECT_EQ(readInto, (std::set<std::string>{"seg-COM1.bin", "seg-COM2.bin"}));
    EXPECT_EQ(JsonTextOf(*JsonField(records[2], "data_file"), "sha256"), Sha256Of(data));
}

// A name with terminal escapes and bytes that are not UTF-8: the human output shows it escaped,
// the record keeps its exact bytes, and the CSV carries no ESC.
TEST_F(ProductionLog, AnOddFileNameIsEscapedOnTheTerminalAndKeptExactInTheRecord)
{
    ServeSegment(1, 40, 3);
    const std::string name = "seg\x1b]0;pwned\x07\xE2\x80\xAE\xFF.bin";
    const std::string data = WriteBytes(name, Pattern(40, 4));
    const TCliRun written = Cli({"-p1", "--log", "line.jsonl", "write-dseg", data});
    ASSERT_EQ(written.Status, 0) << written.Err;
    const TCliRun missing = Cli({"-p1", "write-dseg", data + "\x1b[2J"});
    EXPECT_EQ(missing.Status, 2);
    for (const TCliRun *run : {&written, &missing}) {
        EXPECT_EQ((run->Out + run->Err).find_first_of("\x1b\x07"), std::string::npos) << run->Out << run->Err;
        EXPECT_EQ((run->Out + run->Err).find("\xE2\x80\xAE"), std::string::npos) << run->Out << run->Err;
    }
    EXPECT_NE(written.Out.find("seg\\x1B]0;pwned\\x07\\u202E\\xFF.bin"), std::string::npos) << written.Out;
    EXPECT_NE(missing.Err.find("\\x1B[2J"), std::string::npos) << missing.Err;

    const auto records = Records(File("line.jsonl"));
    ASSERT_EQ(records.size(), 1u);
    const TJsonValue *file = JsonField(records[0], "data_file");
    ASSERT_TRUE(file);
    EXPECT_EQ(JsonTextOf(*file, "path_bytes"), HexOfBytes(data));
    const TCliRun csv = Cli({"log", "line.jsonl", "--csv"});
    EXPECT_EQ(csv.Status, 0);
    EXPECT_EQ(csv.Out.find('\x1b'), std::string::npos) << csv.Out;
    // A record with raw DEL, C1 and an override (valid JSON) is still the same JSON on the terminal.
    const std::string raw = R"({"schema":1,"time":"2026-07-13T10:15:02Z","port":"COM)" "\x7f\xC2\x9B\xE2\x80\xAE" R"(1","result":"ok"})";
    WriteText(File("raw.jsonl"), raw + "\n");
    const TCliRun json = Cli({"log", "raw.jsonl", "--json"});
    const auto shown = ParseJsonLine(json.Out.substr(0, json.Out.find('\n')));
    ASSERT_TRUE(shown) << json.Out;
    EXPECT_EQ(JsonTextOf(*shown, "port"), "COM\x7f\xC2\x9B\xE2\x80\xAE" "1");
    EXPECT_EQ(json.Out.find("\xE2\x80\xAE"), std::string::npos) << json.Out;
}

// Another station holding the log's lock does not outlast a stop request, and the run then ends
// stopped, not as a success whose record was never written.
// log --verify holds for the log as written and names the line after a change; it is not a table.
TEST_F(ProductionLog, VerifyNamesTheFirstLineWhereTheChainBreaks)
{
    {
        TFailure failure;
        const auto log = TProductionLog::Open(File("line.jsonl"), failure);
        for (int n = 1; n <= 4; ++n)
            ASSERT_TRUE(log->Append("{\"schema\":1,\"n\":" + std::to_string(n) + "}", failure)) << failure;
    }
    const TCliRun intact = Cli({"log", "--verify", "line.jsonl"});
    EXPECT_EQ(intact.Status, 0) << intact.Err;
    EXPECT_NE(intact.Out.find("4 lines, 3 chained"), std::string::npos) << intact.Out;
    std::string text = ReadText(File("line.jsonl"));
    text.replace(text.find("\"n\":2"), 5, "\"n\":7");
    WriteText(File("line.jsonl"), text);
    const TCliRun broken = Cli({"--json", "log", "--verify", "line.jsonl"});
    EXPECT_EQ(broken.Status, 1) << broken.Err;
    EXPECT_EQ(ResultOf(broken)["line"], 3) << broken.Out;
    EXPECT_NE(broken.Err.find("line.jsonl:3: the chain breaks"), std::string::npos) << broken.Err;
    const TCliRun missing = Cli({"--json", "log", "--verify", "gone.jsonl"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(FieldOf(missing.Out, "kind"), "not_found") << missing.Out;
    EXPECT_EQ(Cli({"log", "--verify", "--csv", "line.jsonl"}).Status, 2);
    EXPECT_EQ(Cli({"log", "--verify"}).Status, 2);
}

TEST_F(ProductionLog, AStopEndsTheWaitForAHeldLock)
{
    TModuleServer &module = Ports.Serve(1);
    const std::string log = File("line.jsonl");
    const int held = ::open(log.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    TCliProcess tool({"-p1", "--log", log, "connect"}, Folder());
    // The goodbye went out: the tool now waits for the lock.
    ASSERT_TRUE(module.Trace().WaitForSize(2, std::chrono::seconds(10))) << Trace(module);
    tool.Signal(SIGTERM);
    const TCliRun run = tool.Finish();
    ::close(held);
    EXPECT_EQ(run.Status, 130) << run.Err;
    EXPECT_NE(run.Err.find("lock"), std::string::npos) << run.Err;
    EXPECT_TRUE(ReadBytes(log).empty());
}

TEST_F(ProductionLog, SeveralRunsAtOnceShareOneLogLineByLine)
{
    constexpr int kRuns = 6;
    const std::string package = WritePackage("app.xml", Pattern(400, 5));
    std::vector<std::unique_ptr<TCliProcess>> runs;
    for (int port = 1; port <= kRuns; ++port) {
        Ports.Serve(port);
        runs.push_back(std::make_unique<TCliProcess>(
            std::vector<std::string>{"-p" + std::to_string(port), "--log", File("line.jsonl"), "write-app", package},
            Folder()));
    }
    for (auto &run : runs)
        EXPECT_EQ(run->Finish().Status, 0);
    const auto records = Records(File("line.jsonl"));
    std::set<std::string> ports;
    for (const auto &record : records)
        ports.insert(JsonTextOf(record, "port"));
    EXPECT_EQ(records.size(), size_t(kRuns));
    EXPECT_EQ(ports.size(), size_t(kRuns));
}

TEST_F(ProductionLog, TheLogCommandTabulatesAndFilters)
{
    Ports.Serve(1);
    TModuleServerOptions silent;
    silent.faults.silent = true;
    Ports.Serve(2, silent);
    const std::string package = WritePackage("firmware.xml", Pattern(100, 6));
    ASSERT_EQ(Cli({"-p1", "--log", "line.jsonl", "write-app", package}).Status, 0);
    ASSERT_EQ(Cli({"-p2", "--timeout", "100", "--log", "line.jsonl", "connect"}).Status, 1);
    std::ofstream(File("line.jsonl"), std::ios::app) << "not a record\n\n";

    const TCliRun all = Cli({"log", "line.jsonl"});
    EXPECT_EQ(all.Status, 0) << all.Err;
    EXPECT_EQ(all.Out.rfind("TIME", 0), 0u) << all.Out;
    EXPECT_EQ(CountOf(all.Out, "\n"), 3u) << all.Out;
    EXPECT_NE(all.Out.find("COM1  write-app  firmware.xml  ok"), std::string::npos) << all.Out;
    EXPECT_NE(all.Out.find("failed (no_reply)"), std::string::npos) << all.Out;
    EXPECT_NE(all.Err.find("1 line is not a record"), std::string::npos) << all.Err;

    const TCliRun failed = Cli({"log", "line.jsonl", "--failed"});
    EXPECT_EQ(CountOf(failed.Out, "\n"), 2u) << failed.Out;
    EXPECT_EQ(failed.Out.find("write-app"), std::string::npos) << failed.Out;

    EXPECT_EQ(CountOf(Cli({"log", "line.jsonl", "--since", "1h"}).Out, "\n"), 3u);
    const TCliRun future = Cli({"log", "line.jsonl", "--since", "2999-01-01"});
    EXPECT_EQ(future.Status, 0);
    EXPECT_EQ(future.Out.find("COM"), std::string::npos) << future.Out;

    const TCliRun json = Cli({"log", "line.jsonl", "--failed", "--json"});
    EXPECT_EQ(CountOf(json.Out, "\n"), 1u) << json.Out;
    EXPECT_TRUE(ParseJsonLine(json.Out.substr(0, json.Out.size() - 1))) << json.Out;

    EXPECT_EQ(Cli({"log", "missing.jsonl"}).Status, 2);
    EXPECT_EQ(Cli({"log", "line.jsonl", "--since", "soon"}).Status, 2);

    // Names from a log reach the terminal as text: control characters escaped, columns counted in
    // characters, not bytes.
    std::ofstream(File("odd.jsonl"))
        << R"({"schema":1,"time":"2026-07-13T10:15:02Z","port":"COM\u001b[2J","command":"read-dseg",)"
        << R"("data_file":{"path":"/x/d\u00e9j\u00e0\nvu.bin"},"result":"ok"})" << "\n";
    const TCliRun odd = Cli({"log", "odd.jsonl"});
    EXPECT_EQ(odd.Out.find('\x1b'), std::string::npos) << odd.Out;
    const size_t row = odd.Out.find('\n') + 1;
    const std::string oddRow = odd.Out.substr(row, odd.Out.find('\n', row) - row);
    EXPECT_NE(oddRow.find("COM\\x1B[2J  read-dseg  d\xC3\xA9j\xC3\xA0\\x0Avu.bin  ok"), std::string::npos) << odd.Out;
    EXPECT_EQ(DisplayWidth(oddRow.substr(0, oddRow.rfind(" ok") + 1)), odd.Out.find("RESULT")) << odd.Out;
}

} // namespace
} // namespace morlith::test
