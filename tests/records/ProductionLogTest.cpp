// SPDX-License-Identifier: MIT
// The production log file: many writers at once, a line left unfinished by a crash, files that
// cannot be logs, and the record's line.

#include "LogChain.h"
#include "LogExport.h"
#include "OperationInput.h"
#include "OperationRecord.h"
#include "PackageBuilder.h"
#include "ProductionLog.h"
#include "JsonFields.h"
#include "ScratchFolder.h"
#include "Sha256.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

class ProductionLogTest : public ::testing::Test {
protected:
    std::string Path(const std::string &name) const { return FFolder.File(name); }

    test::TScratchFolder FFolder{"morlith-log-"};
    const std::string FDir = FFolder.Path();
};

// `line` without the "prev" it was chained with.
std::string Unchained(const std::string &line)
{
    const size_t prev = line.rfind(",\"prev\":\"");
    return prev == std::string::npos ? line : line.substr(0, prev) + "}";
}

// Line `n` of writer `writer`: long enough, for some, to take more than one pipe buffer's worth.
std::string WriterLine(int writer, int n)
{
    const size_t padding = size_t(n % 5 == 0 ? 9000 : 40 + n % 17);
    return "{\"writer\":" + std::to_string(writer) + ",\"n\":" + std::to_string(n) + ",\"pad\":\"" +
           std::string(padding, char('a' + writer)) + "\"}";
}

TEST_F(ProductionLogTest, ParallelProcessesAndThreadsNeverTearOrInterleaveALine)
{
    constexpr int kProcesses = 6;
    constexpr int kThreadsEach = 2;
    constexpr int kLinesEach = 60;
    const std::string path = Path("production.jsonl");
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TFailure failure;
            const auto log = TProductionLog::Open(path, failure);
            bool ok = log != nullptr;
            std::vector<std::thread> threads;
            for (int t = 0; t < kThreadsEach && log; ++t)
                threads.emplace_back([&, t] {
                    TFailure lineFailure;
                    for (int n = 0; n < kLinesEach; ++n)
                        if (!log->Append(WriterLine(process * kThreadsEach + t, n), lineFailure))
                            ok = false;
                });
            for (auto &thread : threads)
                thread.join();
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> expected;
    for (int writer = 0; writer < kProcesses * kThreadsEach; ++writer)
        for (int n = 0; n < kLinesEach; ++n)
            expected.insert(WriterLine(writer, n));
    const std::vector<std::string> lines = test::ReadLines(path);
    EXPECT_EQ(lines.size(), expected.size());
    std::set<std::string> seen;
    for (const std::string &line : lines) {
        EXPECT_TRUE(expected.count(Unchained(line)))
            << "torn or mixed line of " << line.size() << " bytes: " << line.substr(0, 60);
        seen.insert(Unchained(line));
    }
    EXPECT_EQ(seen.size(), expected.size());
    // Every record names the one written before it, whichever process wrote that.
    TChainCheck check;
    ASSERT_FALSE(VerifyLogChain(path, check).Failed());
    EXPECT_EQ(check.BrokenLine, 0u) << check.Problem;
    EXPECT_EQ(check.Chained, lines.size() - 1);
}

TEST_F(ProductionLogTest, ALineLeftUnfinishedIsClosedBeforeTheNextOne)
{
    const std::string path = Path("crashed.jsonl");
    std::ofstream(path) << "{\"first\":1}\n{\"cut\":";
    TFailure failure;
    const auto log = TProductionLog::Open(path, failure);
    ASSERT_TRUE(log) << failure;
    ASSERT_TRUE(log->Append("{\"next\":2}", failure)) << failure;
    EXPECT_EQ(test::ReadText(path),
              "{\"first\":1}\n{\"cut\":\n{\"next\":2,\"prev\":\"" + Sha256Hex("{\"cut\":", 7) + "\"}\n");
}

// A new file starts a chain; each line after names the line before it, a line longer than the
// pieces the end of the file is read in included; an old log's last line is chained onto.
TEST_F(ProductionLogTest, EachRecordNamesTheLineBeforeIt)
{
    const std::string path = Path("chain.jsonl");
    TFailure failure;
    const auto log = TProductionLog::Open(path, failure);
    ASSERT_TRUE(log) << failure;
    const std::vector<std::string> written = {"{\"a\":1}", "{\"pad\":\"" + std::string(4095, 'x') + "\"}",
                                              "{\"pad\":\"" + std::string(8190, 'y') + "\"}", "{}"};
    for (const std::string &line : written)
        ASSERT_TRUE(log->Append(line, failure)) << failure;
    const std::vector<std::string> lines = test::ReadLines(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], written[0]);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], ChainedLine(written[i], Sha256Hex(lines[i - 1].data(), lines[i - 1].size()))) << i;
    EXPECT_EQ(lines[3], "{\"prev\":\"" + Sha256Hex(lines[2].data(), lines[2].size()) + "\"}");

    const std::string old = Path("old.jsonl");
    std::ofstream(old) << "{\"old\":1}\n{\"old\":2}\n";
    const auto older = TProductionLog::Open(old, failure);
    ASSERT_TRUE(older->Append("{\"new\":3}", failure)) << failure;
    EXPECT_EQ(test::ReadLines(old).back(), "{\"new\":3,\"prev\":\"" + Sha256Hex("{\"old\":2}", 9) + "\"}");
    TChainCheck check;
    ASSERT_FALSE(VerifyLogChain(old, check).Failed());
    EXPECT_EQ(check.BrokenLine, 0u) << check.Problem;
    EXPECT_EQ(check.Lines, 3u);
    EXPECT_EQ(check.Chained, 1u);
}

// Every way to tamper with a chained log is found at the first line after the change.
TEST_F(ProductionLogTest, TheChainBreaksAtTheFirstLineAfterATamperedOne)
{
    const std::string path = Path("log.jsonl");
    {
        TFailure failure;
        const auto log = TProductionLog::Open(path, failure);
        for (int n = 1; n <= 5; ++n)
            ASSERT_TRUE(log->Append("{\"n\":" + std::to_string(n) + "}", failure)) << failure;
    }
    const std::vector<std::string> lines = test::ReadLines(path);
    const auto joined = [](const std::vector<std::string> &each) {
        std::string text;
        for (const std::string &line : each)
            text += line + "\n";
        return text;
    };
    struct TCase {
        const char *Name;
        std::vector<std::string> Lines;
        size_t Broken;
    };
    std::vector<std::string> changed = lines;
    changed[2].replace(changed[2].find("3"), 1, "4");
    std::vector<std::string> stripped = lines;
    stripped[3] = Unchained(stripped[3]);
    const std::vector<TCase> cases = {
        {"Intact", lines, 0},
        {"ALineChanged", changed, 4},
        {"ALineTakenOut", {lines[0], lines[1], lines[3], lines[4]}, 3},
        {"ALinePutIn", {lines[0], lines[1], "{\"n\":9}", lines[2], lines[3], lines[4]}, 3},
        {"TheFirstLinesTakenOut", {lines[2], lines[3], lines[4]}, 1},
        {"ItsPrevTakenOff", stripped, 4},
        {"TheLastLineChanged", {lines[0], lines[1], lines[2], lines[3], "{\"n\":5}"}, 5},
        {"OldLinesBeforeTheChain", {"{\"old\":1}", "{\"old\":2}"}, 0},
    };
    for (const TCase &item : cases) {
        test::WriteText(Path("t.jsonl"), joined(item.Lines));
        TChainCheck check;
        ASSERT_FALSE(VerifyLogChain(Path("t.jsonl"), check).Failed()) << item.Name;
        EXPECT_EQ(check.BrokenLine, item.Broken) << item.Name << ": " << check.Problem;
        EXPECT_EQ(check.Problem.empty(), item.Broken == 0) << item.Name;
    }
    TChainCheck check;
    EXPECT_EQ(VerifyLogChain(Path("missing.jsonl"), check).Kind, TFailureKind::fkNotFound);
}

TEST_F(ProductionLogTest, WhatCannotBeALogFailsToOpenWithItsKindAndChangesNothing)
{
    TFailure failure;
    EXPECT_FALSE(TProductionLog::Open(FDir, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkFile) << failure;
    EXPECT_EQ(failure.Step, "opening the production log");

    failure = {};
    EXPECT_FALSE(TProductionLog::Open(Path("missing/folder/log.jsonl"), failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
    EXPECT_FALSE(fs::exists(Path("missing")));

    // The GUI's log makes its folders.
    failure = {};
    EXPECT_TRUE(TProductionLog::Open(Path("state/morlith/operations.jsonl"), failure, true)) << failure;
    EXPECT_TRUE(fs::is_regular_file(Path("state/morlith/operations.jsonl")));
}

TEST_F(ProductionLogTest, TheGuiLogFollowsXdgStateHome)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_STATE_HOME", FDir.c_str(), 1);
    EXPECT_EQ(OperationsLogPath(), FDir + "/morlith/operations.jsonl");
    // A relative value is not a base directory by the XDG rules.
    setenv("XDG_STATE_HOME", "relative", 1);
    setenv("HOME", FDir.c_str(), 1);
    EXPECT_EQ(OperationsLogPath(), FDir + "/.local/state/morlith/operations.jsonl");
    unsetenv("XDG_STATE_HOME");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(ProductionLogTest, ARecordIsOneLineWithItsFilesFailureAndModuleState)
{
    std::vector<uint8_t> image(300);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 5);
    const TPackageBytes bytes = BuildPackageBytes(image, 64);
    const std::string package = Path("app \"new\"\n.xml");
    std::string why;
    ASSERT_TRUE(SavePackageFile(package, bytes.Header, bytes.KeyedImage, 0, &why)) << why;

    TOperationRecord record;
    record.Tool = "morlith-cli";
    record.Command = "write-app";
    record.Port = "COM3";
    record.Device = "/dev/ttyUSB0";
    record.SerialNumber = "A1B2C3";
    record.Controller = 2;
    TOperationInput input;
    ASSERT_FALSE(ReadOperationInput(TOperationKind::okWriteApplication, package, "", input).Failed());
    record.Package = PackageFingerprint(input);
    record.Failure = MakeFailure(TFailureKind::fkHangUp, "COM3 went away").During("application chunk 3 of 6");
    record.DurationMs = 1234;
    record.ModuleState = "application partly written: 100 of 300 bytes";
    const std::string line = OperationRecordLine(record);

    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.rfind("{\"schema\":1,\"time\":\"", 0), 0u) << line;
    const std::string content = test::ReadText(package);
    const nlohmann::json parsed = nlohmann::json::parse(line);
    const std::pair<const char *, nlohmann::json> fields[] = {
        {"command", "write-app"}, {"port", "COM3"}, {"controller", 2}, {"serial_number", "A1B2C3"},
        {"path", package}, {"sha256", Sha256Hex(content.data(), content.size())}, {"image_length", 300},
        {"result", "failed"}, {"kind", "hangup"}, {"step", "application chunk 3 of 6"}, {"duration_ms", 1234},
        {"module_state", "application partly written: 100 of 300 bytes"}, {"by_id", nullptr}};
    for (const auto &[key, value] : fields)
        EXPECT_EQ(test::ValueOf(parsed, key), value) << key << "\n" << line;
}

TEST_F(ProductionLogTest, AFileThatCannotBeReadHasNoFingerprint)
{
    TOperationInput input;
    EXPECT_EQ(ReadOperationInput(TOperationKind::okWriteDataSegment, Path("missing.bin"), "", input).Kind,
              TFailureKind::fkFile);
    const TFileFingerprint missing = FileFingerprint(input);
    EXPECT_EQ(missing.Path, Path("missing.bin"));
    EXPECT_TRUE(missing.Sha256.empty());
    (void)ReadOperationInput(TOperationKind::okWriteApplication, Path("missing.xml"), "", input);
    EXPECT_FALSE(PackageFingerprint(input).HasHeader);
}

TEST(CsvCell, QuotesAsRfc4180AndKeepsFormulasText)
{
    const std::pair<std::string, std::string> rows[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"lone\rcr", "\"lone\rcr\""},
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"=a,b", "\"'=a,b\""},
        {"1=1", "1=1"},
        // NUL and ESC (and the other controls but tab and line ends) never reach the file raw.
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x1b[2Jx", "\\x1B[2Jx"},
        {"\x1f\x01", "\\x1F\\x01"},
        {"=\x1b", "'=\\x1B"},
        {"\x7f\xc2\x9b", "\x7f\xc2\x9b"},
    };
    for (const auto &[text, cell] : rows)
        EXPECT_EQ(CsvCell(text), cell) << text;
    EXPECT_EQ(CsvLine({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

} // namespace
