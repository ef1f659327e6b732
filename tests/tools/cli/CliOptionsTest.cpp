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

TEST(CliOptions, PackTakesTheDataSegmentLengthTheInputLayoutAndPieceSize)
{
    const auto parsed = ParseCommandLine({"pack", "app.hex", "-o", "app.xml", "--dseg-length", "0xBEEF", "--piece",
                                          "0", "--format", "ihex", "--base", "0x08000000", "--fill", "0", "--force"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    const TCliOptions &o = parsed.Options;
    EXPECT_EQ(o.Out, "app.xml");
    EXPECT_EQ(o.Pack.DsegLength, 0xBEEF);
    EXPECT_EQ(o.PieceBytes, 0u);
    EXPECT_EQ(o.Pack.Format, TFirmwareFormat::ffIntelHex);
    EXPECT_EQ(o.Pack.Base, 0x08000000u);
    EXPECT_EQ(o.Pack.Fill, 0);
    EXPECT_TRUE(o.Force);
    // --word3 is the older name of --dseg-length; nothing is chosen for what is not given.
    const auto alias = ParseCommandLine({"pack", "a", "-o", "b", "--word3", "512"});
    EXPECT_EQ(alias.Options.Pack.DsegLength, 512);
    EXPECT_EQ(alias.Options.PieceBytes, kDefaultPieceBytes);
    EXPECT_FALSE(alias.Options.Pack.Format || alias.Options.Pack.Base || alias.Options.Pack.Fill);
    EXPECT_FALSE(ParseCommandLine({"pack", "a", "-o", "b"}).Options.Pack.DsegLength.has_value());
    EXPECT_EQ(ParseCommandLine({"info", "a.xml", "--image-out", "a.bin"}).Options.Pack.ImageOut, "a.bin");
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
        {{"pack", "a.bin", "-o", "b", "--dseg-length", "-1"}, "--dseg-length takes a whole number"},
        {{"pack", "a.bin", "-o", "b", "--format", "hex"}, "--format takes bin, ihex, srec or elf"},
        {{"pack", "a.bin", "-o", "b", "--fill", "256"}, "--fill takes a byte value"},
        {{"pack", "a.bin", "-o", "b", "--base", "0x"}, "--base takes an address"},
        {{"pack", "a.bin", "-o", "b", "--image-out", "c"}, "--image-out does not go with pack"},
        {{"info", "a.xml", "--base", "0"}, "--base does not go with info"},
        {{"info", "a.xml", "--image-out="}, "--image-out: empty file name"},
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
