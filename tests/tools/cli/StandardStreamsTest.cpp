// SPDX-License-Identifier: MIT
// "-" for standard output and input, and the progress bar on a terminal that is resized.

#include "CliFixture.h"
#include "TerminalRun.h"

namespace morlith::test {
namespace {

using StandardStreams = CliTest;

TEST_F(StandardStreams, ReadDsegToStandardOutputGivesTheRawBytesAndWordsOnStandardError)
{
    ServeSegment(1, 300, 7);
    ServeSegment(2, 300, 7);
    const TCliRun run = Cli({"-p1", "read-dseg", "-"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(std::vector<uint8_t>(run.Out.begin(), run.Out.end()), Pattern(300, 7));
    EXPECT_NE(run.Err.find("to standard output"), std::string::npos) << run.Err;
    EXPECT_FALSE(Exists(File("-")));

    // Events or a second module would mix with the data.
    EXPECT_EQ(Cli({"-p1", "--json", "read-dseg", "-"}).Status, 2);
    EXPECT_EQ(Cli({"-p1,2", "read-dseg", "-"}).Status, 2);
}

TEST_F(StandardStreams, WriteDsegFromStandardInput)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 64;
    TModuleServer &module = Ports.Serve(1, options);
    const std::string input = WriteBytes("input.bin", Pattern(64, 8));
    const TCliRun run = RunCliWithInput({"-p1", "--verify", "--log", "line.jsonl", "write-dseg", "-"}, input, Folder());
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("of standard input"), std::string::npos) << run.Out;
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; }), Pattern(64, 8));
    const std::vector<uint8_t> log = ReadBytes(File("line.jsonl"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("\"data_file\":{\"path\":\"standard input\""), std::string::npos);
    // Nothing is left behind in the folder (which holds the port map too).
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"input.bin", "line.jsonl", "morlith"}));

    const std::string tooLong = WriteBytes("long.bin", Pattern(70000, 9));
    EXPECT_EQ(RunCliWithInput({"-p1", "write-dseg", "-"}, tooLong, Folder()).Status, 2);
}

// pack --out - gives the package on standard output, info --image-out - the plain image; the
// words go to standard error and no file named "-" appears.
TEST_F(StandardStreams, PackAndInfoWriteToStandardOutput)
{
    WriteBytes("app.bin", Pattern(120, 3));
    // The package passes through a scratch file in the temporary folder, here the test's own.
    setenv("TMPDIR", Folder().c_str(), 1);
    const TCliRun pack = Cli({"pack", "app.bin", "--out", "-", "--dseg-length", "16"});
    unsetenv("TMPDIR");
    ASSERT_EQ(pack.Status, 0) << pack.Err;
    EXPECT_NE(pack.Err.find("Wrote standard output"), std::string::npos) << pack.Err;
    EXPECT_EQ(pack.Out.rfind("<?xml", 0), 0u) << pack.Out;
    WriteBytes("app.xml", std::vector<uint8_t>(pack.Out.begin(), pack.Out.end()));

    const TCliRun info = Cli({"info", "app.xml", "--image-out", "-"});
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_EQ(std::vector<uint8_t>(info.Out.begin(), info.Out.end()), Pattern(120, 3));
    EXPECT_NE(info.Err.find("a write would accept it"), std::string::npos) << info.Err;
    EXPECT_FALSE(Exists(File("-")));

    // Events would mix with the output.
    EXPECT_EQ(Cli({"--json", "info", "app.xml", "--image-out", "-"}).Status, 2);
    EXPECT_EQ(Cli({"--json", "pack", "app.bin", "--out", "-", "--dseg-length", "16"}).Status, 2);
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"app.bin", "app.xml", "morlith"}));
}

TEST_F(StandardStreams, TheProgressBarFitsTheTerminalAndFollowsItsResizing)
{
    TModuleServerOptions paced;
    paced.bitRate = 19200;
    Ports.Serve(1, paced);
    const std::string package = WritePackage("app.xml", Pattern(4000, 3));
    TTerminalRun run({"-p1", "write-app", package}, Folder(), 120);
    ASSERT_TRUE(run.ReadUntil("%")) << run.Text;
    ASSERT_TRUE(run.ReadUntil("\r[")) << run.Text;
    const std::vector<std::string> wide = run.BarsSinceResize();
    ASSERT_FALSE(wide.empty());
    EXPECT_GT(wide.back().size(), 60u) << wide.back();
    EXPECT_LT(wide.back().size(), 120u) << wide.back();
    run.Resize(40);
    ASSERT_TRUE(run.ReadUntil("100%")) << run.Text;
    std::vector<std::string> narrow = run.BarsSinceResize();
    // The first drawing after the resize may have been made before it.
    ASSERT_GT(narrow.size(), 1u) << run.Text;
    for (size_t i = 1; i < narrow.size(); ++i)
        EXPECT_LT(narrow[i].size(), 40u) << narrow[i];
}

} // namespace
} // namespace morlith::test
