// SPDX-License-Identifier: MIT
// The production log file: many writers at once, a line left unfinished by a crash, files that
// cannot be logs, and the record's line.

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
        EXPECT_TRUE(expected.count(line)) << "torn or mixed line of " << line.size() << " bytes: " << line.substr(0, 60);
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), expected.size());
}

TEST_F(ProductionLogTest, ALineLeftUnfinishedIsClosedBeforeTheNextOne)
{
    const std::string path = Path("crashed.jsonl");
    std::ofstream(path) << "{\"first\":1}\n{\"cut\":";
    TFailure failure;
    const auto log = TProductionLog::Open(path, failure);
    ASSERT_TRUE(log) << failure;
    ASSERT_TRUE(log->Append("{\"next\":2}", failure)) << failure;
    EXPECT_EQ(test::ReadText(path), "{\"first\":1}\n{\"cut\":\n{\"next\":2}\n");
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
    };
    for (const auto &[text, cell] : rows)
        EXPECT_EQ(CsvCell(text), cell) << text;
    EXPECT_EQ(CsvLine({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

} // namespace
