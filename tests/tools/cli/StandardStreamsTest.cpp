// SPDX-License-Identifier: MIT
// "-" for standard output and input, and the progress bar on a terminal that is resized.

#include "CliFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morlith::test {
namespace {

using StandardStreams = CliTest;

TEST_F(StandardStreams, ReadDsegToStandardOutputGivesTheRawBytesAndWordsOnStandardError)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 300;
    options.dataSegmentForAll = Pattern(300, 7);
    Ports.Serve(1, options);
    Ports.Serve(2, options);
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
    const TCliRun pack = Cli({"pack", "app.bin", "--out", "-", "--dseg-length", "16"});
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

// morlith-cli with its standard error on a terminal of `columns` columns.
class TerminalRun {
public:
    TerminalRun(const std::vector<std::string> &arguments, const std::string &folder, unsigned short columns)
    {
        winsize size{};
        size.ws_col = columns;
        size.ws_row = 24;
        int slave = -1;
        if (openpty(&FMaster, &slave, nullptr, nullptr, &size) != 0)
            return;
        std::vector<std::string> words = {MORLITH_CLI_EXECUTABLE};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char *> argv;
        for (auto &word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        FPid = fork();
        if (FPid == 0) {
            if (chdir(folder.c_str()) != 0 || dup2(null, STDOUT_FILENO) < 0 || dup2(slave, STDERR_FILENO) < 0)
                _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(slave);
        close(null);
    }
    ~TerminalRun()
    {
        if (FPid > 0)
            waitpid(FPid, nullptr, 0);
        if (FMaster >= 0)
            close(FMaster);
    }
    // Reads the terminal until `text` shows or it ends; false then.
    bool ReadUntil(const std::string &text)
    {
        while (Text.find(text, FMark) == std::string::npos) {
            pollfd entry{FMaster, POLLIN, 0};
            char buffer[4096];
            if (poll(&entry, 1, 60000) <= 0)
                return false;
            const ssize_t n = read(FMaster, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            Text.append(buffer, size_t(n));
        }
        return true;
    }
    void Resize(unsigned short columns)
    {
        winsize size{};
        size.ws_col = columns;
        size.ws_row = 24;
        ioctl(FMaster, TIOCSWINSZ, &size);
        FMark = Text.size();
    }
    // The progress bar lines drawn since the last resize (each drawing starts with "\r").
    std::vector<std::string> BarsSinceResize() const
    {
        std::vector<std::string> bars;
        for (size_t at = Text.find('\r', FMark); at != std::string::npos; at = Text.find('\r', at + 1)) {
            const size_t end = Text.find_first_of("\r\n\033", at + 1);
            bars.push_back(Text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1));
        }
        return bars;
    }

    std::string Text;

private:
    int FMaster = -1;
    pid_t FPid = -1;
    size_t FMark = 0;
};

TEST_F(StandardStreams, TheProgressBarFitsTheTerminalAndFollowsItsResizing)
{
    TModuleServerOptions paced;
    paced.bitRate = 19200;
    Ports.Serve(1, paced);
    const std::string package = WritePackage("app.xml", Pattern(4000, 3));
    TerminalRun run({"-p1", "write-app", package}, Folder(), 120);
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
