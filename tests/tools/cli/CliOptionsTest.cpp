// SPDX-License-Identifier: MIT
// The command line: forms that parse, and the errors that stop a run before it starts.

#include "CliOptions.h"
#include "HelpText.h"

#include <gtest/gtest.h>

namespace morlith::cli {
namespace {

TEST(CliOptions, OptionsStandBeforeOrAfterTheCommandInEitherForm)
{
    const auto parsed = ParseCommandLine({"--port=COM1,COM2", "write-app", "fw.xml", "--mcu", "3", "-p", "/dev/ttyUSB0",
                                          "--timeout=250", "--json", "-q"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    const TCliOptions &o = parsed.Options;
    EXPECT_EQ(o.Command, TCliCommand::ccDevice);
    EXPECT_EQ(o.Operation, TOperationKind::okWriteApplication);
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
    // A word starting with '/' is a file name on every platform, never an option.
    EXPECT_EQ(ParseCommandLine({"help"}).Options.Command, TCliCommand::ccHelp);
    EXPECT_EQ(ParseCommandLine({"connect", "--mcu", "9", "-h"}).Options.Command, TCliCommand::ccHelp);
    // A file may be named like a command.
    const auto named = ParseCommandLine({"read-dseg", "log"});
    ASSERT_TRUE(named.Ok()) << named.Error;
    EXPECT_EQ(named.Options.Arguments, std::vector<std::string>{"log"});
    const auto slashed = ParseCommandLine({"info", "/q"});
    ASSERT_TRUE(slashed.Ok()) << slashed.Error;
    EXPECT_EQ(slashed.Options.Arguments, std::vector<std::string>{"/q"});
    EXPECT_FALSE(slashed.Options.Quiet);
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
        {{"-x", "connect"}, "unknown option -x"},
        {{"-qx", "connect"}, "unknown option -x"},
        {{"connect", "-p"}, "-p needs a value"},
        {{"connect", "--wait", "x"}, "--wait takes a whole number from 0 to 86400"},
        {{"connect", "--retries", "101"}, "--retries takes a whole number from 0 to 100"},
        {{"connect", "--log="}, "--log: empty file name"},
        {{"info", "a.xml", "--log", "l"}, "--log does not go with info"},
        {{"connect", "--match", "0403:6001"}, "--match does not go with connect"},
        {{"watch", "--socket-names", "by-id", "connect"}, "--socket-names takes port or id-path, not \"by-id\""},
        {{"connect", "--socket-names", "port"}, "--socket-names does not go with connect"},
        {{"log", "--serial", "18446744073709551616"}, "--serial takes a whole number from 0 to 18446744073709551615"},
        {{"log", "--serial", "-1"}, "--serial takes a whole number"},
        {{"log", "f", "--unit="}, "--unit: give a unit id"},
        {{"store"}, "store needs a command: init, sequence or push"},
        {{"store", "push"}, "usage: morlith-cli [OPTIONS] store push FILE"},
        {{"store", "sequence", "a", "b"}, "usage: morlith-cli [OPTIONS] store sequence NAME"},
        {{"store", "init", "--next", "5"}, "--next does not go with store init"},
        {{"store", "init", "--store="}, "--store: give a postgresql:// URI"},
        {{"log", "f", "--port", "COM1"}, "--port does not go with log"},
        {{"watch"}, "watch needs a command"},
        {{"watch", "pack", "a"}, "watch runs connect, write-app, read-dseg, write-dseg or run"},
        {{"run"}, "usage: morlith-cli [OPTIONS] run RECIPE"},
        {{"run", "r.toml", "--mcu", "1"}, "--mcu does not go with run"},
        {{"run", "r.toml", "--verify"}, "--verify does not go with run"},
        {{"run", "r.toml", "--station="}, "--station takes a name of printable characters"},
        {{"run", "r.toml", "--lot", "a\nb"}, "--lot takes a name of printable characters"},
        {{"check", "r.toml", "--port", "COM1"}, "--port does not go with check"},
        {{"log", "f", "--summary", "--csv"}, "give --summary or --csv, not both"},
        {{"log", "f", "--operator", "ann"}, "--operator does not go with log"},
        {{"watch", "write-app"}, "usage: morlith-cli [OPTIONS] watch write-app PACKAGE"},
        {{"watch", "connect", "--wait", "5"}, "--wait does not go with watch"},
        {{"watch", "connect", "--since", "2h"}, "--since does not go with watch"},
        {{"connect", "--mcu", "0x2"}, "--mcu takes a whole number from 0 to 4"},
        {{"connect", "--port="}, "--port: empty port name"},
        {{"connect", "--json=yes"}, "--json takes no value"},
        {{"connect", "-qm"}, "-m needs a value"},
        {{"connect", "--bogus=3"}, "unknown option --bogus"},
        // Each option on the commands that take it, and no other.
        {{"connect", "--expect-sha256", std::string(64, 'a')}, "--expect-sha256 does not go with connect"},
        {{"read-dseg", "f", "--verify"}, "--verify does not go with read-dseg"},
        {{"read-dseg", "f", "--trusted-key", "k.pub"}, "--trusted-key does not go with read-dseg"},
        {{"write-app", "f", "--trusted-key="}, "--trusted-key: empty file name"},
        {{"sign", "f"}, "sign needs --key SECRET"},
        {{"connect", "--force"}, "--force does not go with connect"},
        {{"write-app", "f", "--force"}, "--force does not go with write-app"},
        {{"ports", "unmap", "COM3", "--force"}, "--force does not go with ports unmap"},
        {{"check", "r.toml", "--log", "l"}, "--log does not go with check"},
        {{"log", "f", "--timeout", "100"}, "--timeout does not go with log"},
        {{"pack", "a", "-o", "b", "--summary"}, "--summary does not go with pack"},
        {{"watch", "run", "r", "--mcu", "1"}, "--mcu does not go with watch run"},
        {{"watch", "connect", "--dseg-length", "1"}, "--dseg-length does not go with watch connect"},
        {{"connect", "--existing"}, "--existing does not go with connect"},
        {{"info", "a.xml", "--word3", "1"}, "--word3 does not go with info"},
        {{"--piece", "1", "info", "a.xml"}, "--piece does not go with info"},
        // Every bound and the number forms each option takes.
        {{"connect", "--timeout", "600001"}, "--timeout takes a whole number from 10 to 600000"},
        {{"connect", "--timeout", "9"}, "--timeout takes a whole number from 10 to 600000"},
        {{"connect", "--timeout", "0x10"}, "--timeout takes a whole number"},
        {{"connect", "--wait", "86401"}, "--wait takes a whole number from 0 to 86400"},
        {{"pack", "a", "-o", "b", "--piece", "65536"}, "--piece takes a whole number from 0 to 65535"},
        {{"pack", "a", "-o", "b", "--piece", "0x10"}, "--piece takes a whole number"},
        {{"pack", "a", "-o", "b", "--dseg-length", "65536"}, "--dseg-length takes a whole number from 0 to 65535"},
        {{"pack", "a", "-o", "b", "--fill", "0x100"}, "--fill takes a byte value"},
        {{"pack", "a", "-o", "b", "--base", "18446744073709551616"}, "--base takes an address"},
        {{"write-app", "f", "--expect-sha256", std::string(63, 'a')}, "--expect-sha256 takes 64 hexadecimal digits"},
        {{"write-app", "f", "--expect-sha256", std::string(63, 'a') + "g"}, "--expect-sha256 takes 64 hexadecimal"},
        {{"log", "f", "--csv", "--summary"}, "not both"},
        {{"log", "f", "--since="}, "--since: give a date"},
        {{"watch", "--match=", "connect"}, "--match: give VID:PID"},
        {{"pack", "a", "--out="}, "--out: empty file name"},
        {{"connect", "--port", "COM1,"}, "empty port name"},
        {{"connect", "--port", ",COM1"}, "empty port name"},
        {{"connect", "--operator", "a\x7F"}, "--operator takes a name of printable characters"},
        {{"-qv"}, "no command given"},
        {{"--verify"}, "no command given"},
        {{"connect", "connect"}, "usage: morlith-cli [OPTIONS] connect"},
        {{"ports", "map"}, "usage: morlith-cli [OPTIONS] ports map COM<n> DEVICE"},
        {{"ports", "COM3"}, "usage: morlith-cli [OPTIONS] ports"},
        {{"watch", "write-app", "a", "b"}, "usage: morlith-cli [OPTIONS] watch write-app PACKAGE"},
        {{"watch", "watch", "connect"}, "watch runs connect, write-app, read-dseg, write-dseg or run, not \"watch\""},
        {{"--timeout"}, "--timeout needs a value"},
        {{"connect", "--verbose=true"}, "--verbose takes no value"},
    };
    for (const auto &[words, error] : cases) {
        const auto parsed = ParseCommandLine(words);
        EXPECT_FALSE(parsed.Ok());
        EXPECT_NE(parsed.Error.find(error), std::string::npos) << parsed.Error << " / expected: " << error;
    }
}

TEST(CliOptions, ShortOptionsTakeAttachedValuesAndCombine)
{
    const auto parsed = ParseCommandLine({"-qv", "-p71", "-pCOM3", "-m2", "-fp", "/dev/ttyUSB0", "read-dseg", "-"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    const TCliOptions &o = parsed.Options;
    EXPECT_TRUE(o.Quiet);
    EXPECT_TRUE(o.Verbose);
    EXPECT_TRUE(o.Force);
    EXPECT_EQ(o.Ports, (std::vector<std::string>{"71", "COM3", "/dev/ttyUSB0"}));
    EXPECT_EQ(o.Mcu, 2);
    // A lone "-" is a file name: standard output here.
    EXPECT_EQ(o.Arguments, std::vector<std::string>{"-"});
    EXPECT_EQ(ParseCommandLine({"-V"}).Options.Command, TCliCommand::ccVersion);
    EXPECT_EQ(ParseCommandLine({"-qV", "connect"}).Options.Command, TCliCommand::ccVersion);
    EXPECT_EQ(ParseCommandLine({"-ofw.xml", "pack", "a.hex", "--dseg-length", "0"}).Options.Out, "fw.xml");
    EXPECT_EQ(ParseCommandLine({"pack", "a.hex", "-o", "-", "--dseg-length", "0"}).Options.Out, "-");
    // Numbers are decimal: a leading zero makes no octal number.
    const auto decimal = ParseCommandLine({"connect", "--timeout", "010", "--retries=010", "-m", "04"});
    ASSERT_TRUE(decimal.Ok()) << decimal.Error;
    EXPECT_EQ(decimal.Options.TimeoutMs, 10u);
    EXPECT_EQ(decimal.Options.Retries, 10u);
    EXPECT_EQ(decimal.Options.Mcu, 4);
    // Hex only where an option says so; "010" stays ten there too.
    const auto hex = ParseCommandLine({"pack", "a", "-o", "b", "--dseg-length", "010", "--fill=0xff", "--base", "0X10"});
    ASSERT_TRUE(hex.Ok()) << hex.Error;
    EXPECT_EQ(hex.Options.Pack.DsegLength, 10);
    EXPECT_EQ(hex.Options.Pack.Fill, 0xFF);
    EXPECT_EQ(hex.Options.Pack.Base, 16u);
    // The last of a repeated option counts; the bounds themselves are taken.
    const auto last = ParseCommandLine({"connect", "-m", "1", "--mcu=0", "--timeout", "600000", "--wait", "86400",
                                        "--retries", "100"});
    ASSERT_TRUE(last.Ok()) << last.Error;
    EXPECT_EQ(last.Options.Mcu, 0);
    EXPECT_EQ(last.Options.TimeoutMs, kMaxTimeoutMs);
    EXPECT_EQ(last.Options.WaitSeconds, kMaxWaitSeconds);
    EXPECT_EQ(last.Options.Retries, kMaxRetries);
    EXPECT_EQ(ParseCommandLine({"connect", "--timeout", "10"}).Options.TimeoutMs, kMinTimeoutMs);
    EXPECT_EQ(ParseCommandLine({"pack", "a", "-o", "b", "--fill", "255", "--dseg-length=0xFFFF"}).Options.Pack.DsegLength,
              0xFFFF);
}

TEST(CliOptions, DeviceCommandsTakeTheProductionOptions)
{
    const auto parsed =
        ParseCommandLine({"write-app", "fw.xml", "--log", "line.jsonl", "--wait", "30", "--retries", "3", "--verify"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    EXPECT_EQ(parsed.Options.LogFile, "line.jsonl");
    EXPECT_EQ(parsed.Options.WaitSeconds, 30u);
    EXPECT_EQ(parsed.Options.Retries, 3u);
    EXPECT_TRUE(parsed.Options.Verify);
    const auto log = ParseCommandLine({"log", "line.jsonl", "--since", "2h", "--failed", "--json"});
    ASSERT_TRUE(log.Ok()) << log.Error;
    EXPECT_EQ(log.Options.Command, TCliCommand::ccLog);
    EXPECT_EQ(log.Options.Since, "2h");
    EXPECT_TRUE(log.Options.FailedOnly);
    // log's filters, and the store commands' options; log without a file reads the store.
    const auto filters = ParseCommandLine({"log", "--serial", "18446744073709551615", "--unit", "u-7", "--station",
                                           "S1", "--lot", "L-17", "--store", "postgresql://db/f"});
    ASSERT_TRUE(filters.Ok()) << filters.Error;
    EXPECT_TRUE(filters.Options.Arguments.empty());
    EXPECT_EQ(filters.Options.Serial, UINT64_MAX);
    EXPECT_EQ(filters.Options.Unit + "|" + filters.Options.Station + "|" + filters.Options.Lot, "u-7|S1|L-17");
    EXPECT_EQ(filters.Options.Store, "postgresql://db/f");
    EXPECT_EQ(ParseCommandLine({"log", "f", "--serial", "0"}).Options.Serial, 0u);
    EXPECT_FALSE(ParseCommandLine({"log", "f"}).Options.Serial);
    const auto sequence = ParseCommandLine({"store", "sequence", "board", "--next", "0", "--force"});
    ASSERT_TRUE(sequence.Ok()) << sequence.Error;
    EXPECT_EQ(sequence.Options.Command, TCliCommand::ccStoreSequence);
    EXPECT_EQ(sequence.Options.Next, 0u);
    EXPECT_TRUE(sequence.Options.Force);
    const auto push = ParseCommandLine({"store", "push", "a.jsonl", "b.jsonl"});
    EXPECT_EQ(push.Options.Command, TCliCommand::ccStorePush);
    EXPECT_EQ(push.Options.Arguments, (std::vector<std::string>{"a.jsonl", "b.jsonl"}));
    EXPECT_EQ(ParseCommandLine({"store", "init"}).Options.Command, TCliCommand::ccStoreInit);
    const auto run = ParseCommandLine({"-p3,4", "run", "r.toml", "--station", "line 2", "--operator", "A. N. Other",
                                       "--lot", "L-17", "--log", "l", "--retries", "2"});
    ASSERT_TRUE(run.Ok()) << run.Error;
    EXPECT_EQ(run.Options.Command, TCliCommand::ccRun);
    EXPECT_EQ(run.Options.Station + "|" + run.Options.Operator + "|" + run.Options.Lot, "line 2|A. N. Other|L-17");
    const auto watched = ParseCommandLine({"watch", "run", "r.toml", "--lot", "L-17", "--existing"});
    ASSERT_TRUE(watched.Ok()) << watched.Error;
    EXPECT_EQ(watched.Options.Watched, TCliCommand::ccRun);
    EXPECT_TRUE(ParseCommandLine({"log", "f", "--csv"}).Options.Csv);
    // --trusted-key repeats, on the commands that send a file and on watch's.
    const auto keys = ParseCommandLine({"watch", "write-dseg", "d.bin", "--trusted-key", "a.pub", "--trusted-key=b.pub"});
    ASSERT_TRUE(keys.Ok()) << keys.Error;
    EXPECT_EQ(keys.Options.TrustedKeys, (std::vector<std::string>{"a.pub", "b.pub"}));
    EXPECT_EQ(ParseCommandLine({"check", "r.toml", "--trusted-key", "a.pub"}).Options.TrustedKeys.size(), 1u);
}

TEST(CliOptions, WatchTakesACommandItsArgumentsAndOptionsOfBoth)
{
    const auto parsed = ParseCommandLine({"-qp3", "watch", "write-app", "fw.xml", "--log", "l", "--existing", "--verify"});
    ASSERT_TRUE(parsed.Ok()) << parsed.Error;
    const TCliOptions &o = parsed.Options;
    EXPECT_EQ(o.Command, TCliCommand::ccWatch);
    EXPECT_EQ(o.Watched, TCliCommand::ccDevice);
    EXPECT_EQ(o.Operation, TOperationKind::okWriteApplication);
    EXPECT_EQ(o.Arguments, std::vector<std::string>{"fw.xml"});
    EXPECT_EQ(o.Ports, std::vector<std::string>{"3"});
    EXPECT_TRUE(o.Existing && o.Verify && o.Quiet);
    const auto matched = ParseCommandLine({"watch", "--match", "0403:6001", "connect"});
    ASSERT_TRUE(matched.Ok()) << matched.Error;
    EXPECT_EQ(matched.Options.Match, "0403:6001");
    EXPECT_EQ(matched.Options.Watched, TCliCommand::ccDevice);
    EXPECT_EQ(matched.Options.Operation, TOperationKind::okConnect);
    // Each command that watch runs, with its arguments and options, and watch's own before it.
    const auto dumped = ParseCommandLine({"--socket-names=id-path", "-m2", "watch", "read-dseg", "d-{n}.bin", "-f"});
    ASSERT_TRUE(dumped.Ok()) << dumped.Error;
    EXPECT_EQ(dumped.Options.Operation, TOperationKind::okReadDataSegment);
    EXPECT_EQ(dumped.Options.SocketNames, "id-path");
    EXPECT_EQ(dumped.Options.Mcu, 2);
    EXPECT_TRUE(dumped.Options.Force);
    EXPECT_EQ(ParseCommandLine({"watch", "write-dseg", "f"}).Options.Operation, TOperationKind::okWriteDataSegment);
    EXPECT_EQ(ParseCommandLine({"read-dseg", "f"}).Options.Operation, TOperationKind::okReadDataSegment);
    EXPECT_EQ(ParseCommandLine({"--lot", "L", "watch", "run", "r"}).Options.Lot, "L");
    EXPECT_EQ(ParseCommandLine({"--port", "COM3", "--wait", "5", "write-app", "f"}).Options.WaitSeconds, 5u);
}

TEST(CliOptions, TooManyPortsAreRefused)
{
    std::vector<std::string> words = {"connect"};
    for (size_t i = 0; i < kMaxPorts; ++i) {
        words.push_back("--port");
        words.push_back("COM" + std::to_string(i + 1));
    }
    EXPECT_TRUE(ParseCommandLine(words).Ok());
    words.push_back("-pCOM99");
    EXPECT_FALSE(ParseCommandLine(words).Ok());
}

TEST(CliOptions, HelpSpeaksThePlatformsTerms)
{
    const std::string linuxText = HelpTextFor(THelpPlatform::Linux);
    const std::string windows = HelpTextFor(THelpPlatform::Windows);
    for (const char *term : {"SIGTERM", "SIGHUP", "watch COMMAND", "/dev/ttyUSB0", "ports map", "--match"}) {
        EXPECT_NE(linuxText.find(term), std::string::npos) << term;
        EXPECT_EQ(windows.find(term), std::string::npos) << term;
    }
    for (const char *term : {"Ctrl-C", "COM<n>", "write-app PACKAGE", "--wait S", "Exit status:", "-o, --out PACKAGE",
                             "--dseg-length N", "--image-out FILE", "  pack FILE --out PACKAGE", "-h, --help"}) {
        EXPECT_NE(linuxText.find(term), std::string::npos) << term;
        EXPECT_NE(windows.find(term), std::string::npos) << term;
    }
    for (const char *term : {"Ctrl-Break", "console window", "Device Manager"})
        EXPECT_EQ(linuxText.find(term), std::string::npos) << term;
    for (const char *term : {"Ctrl-Break", "console window", "Device Manager"})
        EXPECT_NE(windows.find(term), std::string::npos) << term;
    EXPECT_EQ(windows.find("/dev/"), std::string::npos);
    for (const std::string &text : {linuxText, windows}) {
        EXPECT_EQ(text.find("\nL|"), std::string::npos);
        EXPECT_EQ(text.find("\nW|"), std::string::npos);
        // An older name works but is not listed; a command's own options stand beneath it only.
        EXPECT_EQ(text.find("--word3 N"), std::string::npos);
        EXPECT_EQ(text.find("\n      --piece"), std::string::npos);
        EXPECT_LT(text.find("-V, --version"), text.find("Short options combine"));
        EXPECT_LT(text.find("--json"), text.find("-h, --help"));
    }
}

} // namespace
} // namespace morlith::cli
