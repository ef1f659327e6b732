// SPDX-License-Identifier: MIT
// morlith-cli run the way scripts, jigs and careless users run it: closed standard streams, links
// to privileged files, a file-size limit, a configuration that does not load, ports that would
// share a file, output nobody can take. Nothing reaches the wrong place and no file is harmed.

#include "CliFixture.h"
#include "Sha256.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace morlith::test {
namespace {

using HostileUse = CliTest;

// Runs the tool through the shell, so that `redirections` can close or limit what it inherits.
int RunThroughShell(const std::string &folder, const std::string &prefix, const std::string &arguments,
                    const std::string &redirections)
{
    const std::string command = "cd '" + folder + "' && " + prefix + " '" + MORLITH_CLI_EXECUTABLE + "' " +
                                arguments + " " + redirections;
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(HostileUse, ClosedStandardStreamsNeverCarryTextIntoTheLine)
{
    TModuleServer &module = Ports.Serve(3);
    const std::vector<uint8_t> plain = Pattern(350, 5);
    WritePackage("app.xml", plain);
    EXPECT_EQ(RunThroughShell(Folder(), "", "--port COM3 write-app app.xml", "2>&-"), 0);
    EXPECT_EQ(RunThroughShell(Folder(), "", "--port COM3 --json write-app app.xml", ">&-"), 1)
        << "the result could not be delivered";
    EXPECT_EQ(ProgramMemory(module), plain);
    // Only whole, valid frames reached the module: two handshakes, two writes, two goodbyes.
    const std::string commands = Commands(module);
    EXPECT_EQ(commands, "CFWFWWWWWWWQCFWFWWWWWWWQ") << Trace(module);
}

TEST_F(HostileUse, AReplacedFileKeepsOnlyPermissionBitsAndALinkIsReplacedNotFollowed)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 32;
    Ports.Serve(3, options);
    const std::string program = File("privileged");
    std::ofstream(program) << "#!/bin/sh\n";
    ASSERT_EQ(::chmod(program.c_str(), 04755), 0);
    std::filesystem::create_symlink(program, File("out.bin"));
    EXPECT_EQ(Cli({"--port", "COM3", "read-dseg", "--force", "out.bin"}).Status, 0);
    struct stat link {};
    ASSERT_EQ(::lstat(File("out.bin").c_str(), &link), 0);
    EXPECT_TRUE(S_ISREG(link.st_mode)) << "the link itself was replaced";
    EXPECT_EQ(link.st_mode & 07000, 0u) << "no setuid, setgid or sticky bit";
    struct stat target {};
    ASSERT_EQ(::stat(program.c_str(), &target), 0);
    EXPECT_EQ(target.st_mode & 07777, 04755u);
    EXPECT_EQ(target.st_size, 10) << "the privileged file is untouched";

    // A regular file lends its permission bits, and only those.
    ASSERT_EQ(::chmod(File("out.bin").c_str(), 02640), 0);
    EXPECT_EQ(Cli({"--port", "COM3", "read-dseg", "--force", "out.bin"}).Status, 0);
    ASSERT_EQ(::lstat(File("out.bin").c_str(), &link), 0);
    EXPECT_EQ(link.st_mode & 07777, 0640u);
}

TEST_F(HostileUse, AFileSizeLimitFailsTheReadCleanly)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 4096;
    Ports.Serve(3, options);
    const std::vector<uint8_t> previous = {1, 2, 3};
    WriteBytes("segment.bin", previous);
    const int status = RunThroughShell(Folder(), "ulimit -f 2 &&", "--port COM3 read-dseg --force segment.bin",
                                       "2> err.txt");
    EXPECT_EQ(status, 1);
    const std::string text = ReadText(File("err.txt"));
    EXPECT_NE(text.find("segment.bin"), std::string::npos) << text;
    EXPECT_EQ(text.find(".morlith"), std::string::npos) << "names the target, not a temporary file: " << text;
    EXPECT_EQ(ReadBytes(File("segment.bin")), previous);
    EXPECT_TRUE(TemporaryFilesIn(Folder()).empty());

    // A log line that the limit cuts short is taken back: the log never holds half a record.
    const std::vector<uint8_t> earlier(900, '\n');
    WriteBytes("line.jsonl", earlier);
    EXPECT_EQ(RunThroughShell(Folder(), "ulimit -f 2 &&", "--port COM3 --log line.jsonl connect", "2>/dev/null"), 1);
    EXPECT_EQ(ReadBytes(File("line.jsonl")), earlier);
}

TEST_F(HostileUse, AConfigurationThatDoesNotLoadIsRefusedNotReplacedByCom1)
{
    TModuleServer &module = Ports.Serve(1);
    const std::vector<std::string> broken = {
        "<?xml version=\"1.0\"?><config Application=\"ORVELMorlith\" Version=\"1\"><Port>abc</Port></config>",
        "<?xml version=\"1.0\"?><config Application=\"ORVELMorlith\" Version=\"1\"><Po",
        // Loads, but names no port: not COM1 either.
        "<?xml version=\"1.0\"?><config Application=\"ORVELMorlith\" Version=\"1\"></config>",
    };
    for (const std::string &content : broken) {
        std::ofstream(File("Config.mlhxml"), std::ios::trunc) << content;
        const TCliRun run = Cli({"connect"});
        EXPECT_EQ(run.Status, 2) << content;
        EXPECT_NE(run.Err.find("Config.mlhxml"), std::string::npos) << run.Err;
    }
    std::filesystem::remove(File("Config.mlhxml"));
    std::filesystem::create_directory(File("Config.mlhxml"));
    EXPECT_EQ(Cli({"connect"}).Status, 2);
    EXPECT_TRUE(Commands(module).empty());
}

TEST_F(HostileUse, PortsThatWouldShareAFileAndEmptyNamesAreRefusedBeforeConnecting)
{
    TModuleServer &module = Ports.Serve(1);
    // "/tmp/a_b" and "/tmp/a/b" both become "tmp_a_b" in a file name.
    const TCliRun shared = Cli({"--port", "/tmp/a_b", "--port", "/tmp/a/b", "read-dseg", "dump-{port}.bin"});
    EXPECT_EQ(shared.Status, 2);
    EXPECT_NE(shared.Err.find("would both be read into"), std::string::npos) << shared.Err;
    EXPECT_EQ(Cli({"--port", "COM1", "read-dseg", ""}).Status, 2);
    EXPECT_EQ(Cli({"--port", "COM1", "write-dseg", ""}).Status, 2);
    // An empty data file, or empty standard input, has nothing to write.
    WriteBytes("empty.bin", {});
    EXPECT_EQ(Cli({"--port", "COM1", "write-dseg", "empty.bin"}).Status, 2);
    EXPECT_EQ(RunCliWithInput({"--port", "COM1", "write-dseg", "-"}, File("empty.bin"), Folder()).Status, 2);
    EXPECT_TRUE(Commands(module).empty());
}

// The log never lands in the user's files: one that is the input or the output, under any name,
// is refused before connecting and the file is left as it was.
TEST_F(HostileUse, ALogThatIsTheInputOrTheOutputIsRefusedBeforeConnecting)
{
    TModuleServer &module = Ports.Serve(1);
    const std::string data = WriteBytes("data.bin", Pattern(20, 1));
    const std::string package = WritePackage("app.xml", Pattern(100, 2));
    const std::string out = WriteBytes("out.bin", Pattern(10, 3));
    std::filesystem::create_symlink(package, File("link.jsonl"));
    const std::vector<std::vector<std::string>> runs = {
        {"-p1", "--log", data, "write-dseg", data},
        {"-p1", "--log", "link.jsonl", "write-app", "app.xml"},
        {"-p1", "--log", "./out.bin", "read-dseg", "-f", out},
        {"-pCOM1,COM2", "--log", "out-COM2.bin", "read-dseg", "out-{port}.bin"},
        // A recipe's files: a reading its fields may name, a counter's lock file, a counter.
        {"-p1", "--log", "readout-5.bin", "run", "unit.toml"},
        {"-p1", "--log", "sub/../readout-1041.bin", "run", "unit.toml"},
        {"-p1", "--log", "serials.counter.lock", "run", "unit.toml"},
        {"-p1", "--log", "serials.counter", "run", "unit.toml"},
    };
    WriteSerialRecipe("unit.toml");
    std::filesystem::create_directory(File("sub"));
    const std::vector<uint8_t> before[] = {ReadBytes(data), ReadBytes(package), ReadBytes(out)};
    for (const auto &arguments : runs) {
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.Status, 2) << arguments[2] << ": " << run.Err;
        EXPECT_NE(run.Err.find("is the same file as"), std::string::npos) << run.Err;
    }
    EXPECT_EQ(ReadBytes(data), before[0]);
    EXPECT_EQ(ReadBytes(package), before[1]);
    EXPECT_EQ(ReadBytes(out), before[2]);
    EXPECT_FALSE(std::filesystem::exists(File("out-COM2.bin")));
    for (const char *made : {"readout-5.bin", "readout-1041.bin"})
        EXPECT_FALSE(std::filesystem::exists(File(made))) << made;
    EXPECT_EQ(ReadText(File("serials.counter")), "1041\n");
    EXPECT_EQ(Commands(module), "");
}

// --expect-sha256 pins the input: anything else is refused before connecting.
TEST_F(HostileUse, AnInputWithAnotherSha256IsRefusedBeforeConnecting)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 20;
    TModuleServer &module = Ports.Serve(1, options);
    const std::string data = WriteBytes("data.bin", Pattern(20, 1));
    const std::vector<uint8_t> bytes = ReadBytes(data);
    std::string sha = Sha256Hex(bytes.data(), bytes.size());
    std::string other = sha;
    other[0] = other[0] == '0' ? '1' : '0';
    for (const std::string &wrong : {other, sha.substr(1), std::string("g") + sha.substr(1)})
        EXPECT_EQ(Cli({"-p1", "--expect-sha256", wrong, "write-dseg", data}).Status, 2) << wrong;
    EXPECT_EQ(Commands(module), "");
    for (char &c : sha)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const TCliRun pinned = Cli({"-p1", "--expect-sha256", sha, "write-dseg", data});
    EXPECT_EQ(pinned.Status, 0) << pinned.Err;
}

TEST_F(HostileUse, WhatIsNotASerialDeviceIsADeviceFailureWhateverItIs)
{
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(File("folder"));
    for (const std::string &port : {File("fifo"), File("folder"), File("missing")}) {
        const TCliRun run = Cli({"--json", "--port", port, "connect"});
        EXPECT_EQ(run.Status, 1) << port << ": " << run.Err;
        EXPECT_EQ(FieldOf(run.Out, "step"), "connecting") << run.Out;
    }
    // Without a controlling terminal /dev/tty answers ENXIO: no device there, not a hang-up.
    EXPECT_EQ(RunThroughShell(Folder(), "setsid -w", "--json --port /dev/tty connect", "> tty.json 2>/dev/null"), 1);
    const std::string json = ReadText(File("tty.json"));
    EXPECT_EQ(FieldOf(json, "kind"), "not_found") << json;
}

TEST_F(HostileUse, OutputThatCannotBeWrittenIsAFailure)
{
    const std::string package = WritePackage("app.xml", Pattern(40, 1));
    EXPECT_EQ(RunThroughShell(Folder(), "", "info app.xml", "> /dev/full 2>/dev/null"), 1);
    EXPECT_EQ(RunThroughShell(Folder(), "", "info app.xml", ">&- 2>/dev/null"), 1);
    EXPECT_EQ(RunThroughShell(Folder(), "", "info app.xml", "> /dev/null"), 0);
}

} // namespace
} // namespace morlith::test
