// The command line: forms that parse, and the errors that stop a run before it starts.

#include "CliOptions.h"

#include <gtest/gtest.h>

namespace morlith::cli {
namespace {

TEST(CliOptions, OptionsStandBeforeOrAfterTheCommandInEitherForm)
{
    const auto parsed = ParseCommandLine({"--port=COM1,COM2", "write-app", "fw.xml", "--mcu", "3", "-p", "/dev/ttyUSB0",
                                          "--timeout=250", "--json", "-q"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    const TCliOptions &o = parsed.Options;
    EXPECT_EQ(o.Command, TCliCommand::ccWriteApp);
    EXPECT_EQ(o.Arguments, std::vector<std::string>{"fw.xml"});
    EXPECT_EQ(o.Ports, (std::vector<std::string>{"COM1", "COM2", "/dev/ttyUSB0"}));
    EXPECT_EQ(o.Mcu, 3);
    EXPECT_EQ(o.TimeoutMs, 250u);
    EXPECT_TRUE(o.Json);
    EXPECT_TRUE(o.Quiet);
}

TEST(CliOptions, PackTakesHexOrDecimalWordAndPieceSize)
{
    const auto parsed = ParseCommandLine({"pack", "app.bin", "-o", "app.xml", "--word3", "0xBEEF", "--piece", "0"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    EXPECT_EQ(parsed.Options.Out, "app.xml");
    EXPECT_EQ(parsed.Options.Word3, 0xBEEF);
    EXPECT_EQ(parsed.Options.PieceBytes, 0u);
    EXPECT_EQ(ParseCommandLine({"pack", "a", "-o", "b"}).Options.PieceBytes, kDefaultPieceBytes);
}

TEST(CliOptions, PortsSubcommandsAndDoubleDash)
{
    const auto map = ParseCommandLine({"ports", "map", "COM3", "/dev/ttyUSB0", "--force"});
    ASSERT_TRUE(map.Ok()) << map.Error;
    EXPECT_EQ(map.Options.Command, TCliCommand::ccPortsMap);
    EXPECT_TRUE(map.Options.Force);
    EXPECT_EQ(ParseCommandLine({"ports", "unmap", "COM3"}).Options.Command, TCliCommand::ccPortsUnmap);
    EXPECT_EQ(ParseCommandLine({"ports"}).Options.Command, TCliCommand::ccPorts);
    const auto dashed = ParseCommandLine({"info", "--", "-odd.xml"});
    ASSERT_TRUE(dashed.Ok()) << dashed.Error;
    EXPECT_EQ(dashed.Options.Arguments.front(), "-odd.xml");
    EXPECT_EQ(ParseCommandLine({"write-app", "--help"}).Options.Command, TCliCommand::ccHelp);
}

TEST(CliOptions, ErrorsNameTheProblem)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command"},
        {{"flash"}, "unknown command \"flash\""},
        {{"connect", "--bogus"}, "unknown option --bogus"},
        {{"connect", "--port"}, "--port needs a value"},
        {{"connect", "--quiet=1"}, "--quiet takes no value"},
        {{"connect", "--mcu", "5"}, "--mcu takes a whole number from 0 to 4"},
        {{"connect", "--mcu", "-1"}, "--mcu takes a whole number"},
        {{"connect", "--timeout", "5"}, "--timeout takes a whole number from 10"},
        {{"connect", "--port", "COM1,,COM2"}, "empty port name"},
        {{"connect", "--verify"}, "--verify does not go with connect"},
        {{"info", "a.xml", "--port", "COM1"}, "--port does not go with info"},
        {{"read-dseg", "a.bin", "b.bin"}, "usage: morlith-cli [OPTIONS] read-dseg FILE"},
        {{"write-app"}, "usage: morlith-cli [OPTIONS] write-app PACKAGE"},
        {{"pack", "a.bin"}, "pack needs --out"},
        {{"pack", "a.bin", "-o", "b", "--word3", "0x10000"}, "--word3 takes a whole number from 0 to 65535"},
        {{"ports", "map", "COM1"}, "usage: morlith-cli [OPTIONS] ports map COM<n> DEVICE"},
    };
    for (const auto &[words, error] : cases) {
        const auto parsed = ParseCommandLine(words);
        EXPECT_FALSE(parsed.Ok());
        EXPECT_NE(parsed.Error.find(error), std::string::npos) << parsed.Error << " / expected: " << error;
    }
}

TEST(CliOptions, TooManyPortsAreRefused)
{
    std::vector<std::string> words = {"connect"};
    for (size_t i = 0; i <= kMaxPorts; ++i) {
        words.push_back("--port");
        words.push_back("COM" + std::to_string(i + 1));
    }
    EXPECT_FALSE(ParseCommandLine(words).Ok());
}

} // namespace
} // namespace morlith::cli
