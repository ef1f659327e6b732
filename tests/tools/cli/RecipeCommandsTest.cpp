// SPDX-License-Identifier: MIT
// run and check against virtual modules, and what log makes of unit records: the yield of each
// lot and CSV a spreadsheet reads as text.

#include "CliFixture.h"
#include "FileHandle.h"

#include <gtest/gtest.h>

#include <csignal>

namespace morlith::test {
namespace {

class RecipeCommandsTest : public CliTest {
protected:
    void SetUp() override { WriteSerialRecipe("r.toml"); }
};

TEST_F(RecipeCommandsTest, EachPortGetsTheWholeRecipeItsOwnSerialAndOneUnitRecord)
{
    TModuleServer &first = Ports.Serve(31);
    TModuleServer &second = Ports.Serve(32);
    const TCliRun run = Cli({"--port", "COM31,COM32", "--log", "line.jsonl", "--station", "S2", "-q", "run", "r.toml"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadText(File("serials.counter")), "1043\n");
    const std::vector<uint8_t> a = ReadBytes(File("readout-1041.bin"));
    const std::vector<uint8_t> b = ReadBytes(File("readout-1042.bin"));
    ASSERT_EQ(a.size(), 64u); // the data segment the package gives the module
    ASSERT_EQ(b.size(), 64u);
    // The two modules got different numbers, each at offset 8, low byte first.
    EXPECT_NE(a[8], b[8]);
    EXPECT_EQ(a[8] + b[8], 0x11 + 0x12);
    EXPECT_EQ(ProgramMemory(first, 3), ProgramMemory(second, 3));
    const std::string log = ReadText(File("line.jsonl"));
    EXPECT_EQ(CountOf(log, "\"schema\":\"unit/1\""), 2u) << log;
    EXPECT_EQ(CountOf(log, "\"station\":\"S2\",\"lot\":\"L-17\""), 2u) << log;
    // Four steps and the verdict of each unit.
    EXPECT_EQ(CountOf(log, "\"result\":\"ok\",\"duration_ms\""), 10u) << log;
    EXPECT_EQ(CountOf(Commands(first), "Q"), 1u) << Trace(first);
}

TEST_F(RecipeCommandsTest, AFailedStepEndsTheUnitWhichKeepsItsNumberAndSaysWhichStep)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 12; // during the application of controller 3
    Ports.Serve(33, options);
    const TCliRun run = Cli({"--port", "COM33", "--log", "line.jsonl", "--json", "run", "r.toml"});
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_NE(run.Err.find("step 2 of 4 (write-app main.xml, controller 3)"), std::string::npos) << run.Err;
    EXPECT_EQ(FieldOf(run.Out.substr(run.Out.rfind("{\"event\":\"result\"")), "kind"), "hangup") << run.Out;
    EXPECT_NE(run.Out.find("\"serial\":1041"), std::string::npos) << run.Out;
    EXPECT_EQ(ReadText(File("serials.counter")), "1042\n");
    const std::string log = ReadText(File("line.jsonl"));
    EXPECT_NE(log.find("\"serial\":1041"), std::string::npos) << log;
    EXPECT_NE(log.find("\"failed_step\":2"), std::string::npos) << log;
    EXPECT_EQ(CountOf(log, "\"result\":\"not_run\""), 2u) << log;
}

TEST_F(RecipeCommandsTest, AStopEndsTheUnitAtItsStepSendsNoGoodbyeAndTheRecordSaysStopped)
{
    TModuleServerOptions options;
    options.bitRate = 19200; // about 30 ms a chunk: each application takes about two seconds
    WritePackage("main.xml", Pattern(3000, 1), 64);
    TModuleServer &module = Ports.Serve(37, options);
    TCliProcess tool({"--port", "COM37", "--log", "line.jsonl", "--json", "run", "r.toml"}, Folder());
    ASSERT_TRUE(tool.WaitForOutput("\"step\":2,")) << tool.SoFar().Out << tool.SoFar().Err;
    tool.Signal(SIGINT);
    const TCliRun run = tool.Finish();
    EXPECT_EQ(run.Status, 130) << run.Err;
    const std::string log = ReadText(File("line.jsonl"));
    EXPECT_NE(log.find("\"failed_step\":2,\"error\":{\"kind\":\"stopped\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"serial\":1041"), std::string::npos) << log;
    EXPECT_EQ(CountOf(Commands(module), "Q"), 0u) << Trace(module);
}

TEST_F(RecipeCommandsTest, CheckNamesEveryMistakeByLineWithoutAModuleAndPassesAGoodRecipe)
{
    const TCliRun good = Cli({"check", "r.toml"});
    EXPECT_EQ(good.Status, 0) << good.Err;
    EXPECT_NE(good.Out.find("4 on each module"), std::string::npos) << good.Out;
    WriteText(File("bad.toml"), "[[step]]\nwrite-app = \"main.xml\"\nmcu = 9\n[[step]]\nwrite-dseg = \"gone.bin\"\n");
    const TCliRun bad = Cli({"check", "bad.toml", "--json"});
    EXPECT_EQ(bad.Status, 2);
    EXPECT_NE(bad.Err.find("bad.toml:3:7: mcu must be"), std::string::npos) << bad.Err;
    EXPECT_NE(bad.Err.find("bad.toml:4: "), std::string::npos) << bad.Err;
    EXPECT_EQ(CountOf(bad.Out, "\"event\":\"problem\""), 2u) << bad.Out;
    // run refuses the same recipe before any port is opened.
    TModuleServer &module = Ports.Serve(34);
    EXPECT_EQ(Cli({"--port", "COM34", "run", "bad.toml"}).Status, 2);
    EXPECT_EQ(Commands(module), "");
}

// A recipe the TOML library could not read without overflowing its stack is refused at its line by
// check, run and watch run alike.
TEST_F(RecipeCommandsTest, AKeyChainOfAHundredAndFiftyThousandPartsIsRefusedNotACrash)
{
    std::string chain = "a";
    for (int i = 0; i < 150000; ++i)
        chain += ".a";
    WriteText(File("deep.toml"), "lot = \"L\"\n" + chain + " = 1\n");
    WriteText(File("header.toml"), "lot = \"L\"\n[x." + chain + "]\n");
    for (const char *recipe : {"deep.toml", "header.toml"})
        for (const std::vector<std::string> &arguments :
             {std::vector<std::string>{"check", recipe}, std::vector<std::string>{"-p", "COM35", "run", recipe},
              std::vector<std::string>{"--port", "COM35", "watch", "run", recipe}}) {
            const TCliRun run = Cli(arguments);
            EXPECT_EQ(run.Status, 2) << arguments[0] << " " << recipe << ": " << run.Err.substr(0, 200);
            EXPECT_NE(run.Err.find(std::string(recipe) + ":2: "), std::string::npos) << run.Err.substr(0, 200);
        }
}

// A counter whose next number its field cannot hold stops that unit before any frame and keeps
// the number; the unit before it is flashed.
TEST_F(RecipeCommandsTest, ASerialTooWideForItsFieldIsRefusedBeforeTheModuleIsTouched)
{
    WriteText(File("narrow.toml"), R"([[step]]
write-app = "main.xml"
[[step]]
write-dseg = "settings.bin"
serial = { counter = "serials.counter", offset = 8, width = 1 }
)");
    WriteText(File("serials.counter"), "255\n");
    TModuleServer &first = Ports.Serve(38);
    const TCliRun one = Cli({"--json", "-p", "COM38", "run", "narrow.toml"});
    EXPECT_EQ(one.Status, 0) << one.Err;
    TModuleServer &second = Ports.Serve(39);
    const TCliRun two = Cli({"--json", "-p", "COM39", "run", "narrow.toml"});
    EXPECT_EQ(two.Status, 2) << two.Err; // check finds it now
    EXPECT_EQ(ReadText(File("serials.counter")), "256\n");
    EXPECT_EQ(Commands(second), "");
    EXPECT_NE(Commands(first), "");
}

// While another program holds the counter's lock, check and run say after a second what they wait
// for, and Ctrl-C ends the wait at once.
TEST_F(RecipeCommandsTest, CtrlCEndsTheWaitForTheCountersLockWhichIsNamed)
{
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"check", "r.toml"}, std::vector<std::string>{"-p", "COM36", "run", "r.toml"}}) {
        TFileHandle other;
        ASSERT_TRUE(other.OpenForAppending(File("serials.counter.lock")));
        ASSERT_TRUE(other.LockExclusive());
        TCliProcess tool(arguments, Folder());
        ASSERT_TRUE(tool.WaitForError("waiting for the serial counter")) << tool.SoFar().Err;
        tool.Signal(SIGINT);
        const TCliRun run = tool.Finish();
        EXPECT_EQ(run.Status, 130) << arguments[0] << ": " << run.Err;
        EXPECT_EQ(ReadText(File("serials.counter")), "1041\n");
    }
}

TEST_F(RecipeCommandsTest, WatchRunsTheRecipeOnEveryModuleThatAppearsEachWithItsOwnSerial)
{
    TCliProcess watch({"watch", "run", "r.toml", "--log", "line.jsonl"}, Folder());
    ASSERT_TRUE(watch.WaitForError("watching ")) << watch.SoFar().Err;
    Ports.Serve(35);
    ASSERT_TRUE(watch.WaitForOutput(" ok ", 1)) << watch.SoFar().Err;
    Ports.Serve(36);
    ASSERT_TRUE(watch.WaitForOutput(" ok ", 2)) << watch.SoFar().Err;
    watch.Signal(SIGINT);
    const TCliRun run = watch.Finish();
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(Exists(File("readout-1041.bin")));
    EXPECT_TRUE(Exists(File("readout-1042.bin")));
    EXPECT_EQ(ReadText(File("serials.counter")), "1043\n");
    EXPECT_EQ(CountOf(ReadText(File("line.jsonl")), "\"schema\":\"unit/1\""), 2u);
}

// Unit and command records as a log holds them, for --summary and --csv.
const char *kLog =
    R"({"schema":"unit/1","time":"2026-12-07T10:00:00.000Z","unit":"u1","serial":7,"lot":"A","port":"COM1","recipe":{"path":"r.toml"},"result":"ok","duration_ms":900}
{"schema":"unit/1","time":"2026-12-07T10:01:00.000Z","unit":"u2","serial":8,"lot":"A","port":"COM2","recipe":{"path":"r.toml"},"result":"failed","failed_step":2,"error":{"kind":"no_reply","message":"=cmd|' /C calc'!A0, \"quoted\""},"duration_ms":1200}
{"schema":"unit/1","time":"2026-12-07T10:02:00.000Z","unit":"u3","lot":"B","port":"COM1","recipe":{"path":"r.toml"},"result":"ok","duration_ms":800}
{"schema":1,"time":"2026-12-07T10:03:00.000Z","command":"write-app","port":"COM9","controller":2,"package":{"path":"@fw.xml"},"result":"ok","duration_ms":100}
)";

TEST_F(RecipeCommandsTest, TheSummaryGivesEachLotsYieldAndCsvKeepsEveryCellText)
{
    WriteText(File("line.jsonl"), kLog);
    const TCliRun summary = Cli({"log", "line.jsonl", "--summary"});
    ASSERT_EQ(summary.Status, 0) << summary.Err;
    EXPECT_EQ(summary.Out, "LOT  STATION  SOCKET  UNITS  PASSED  FAILED  INTERRUPTED  FIRST PASS  FINAL\n"
                           "A    (all)    (all)   2      1       1       0            50.0 %      50.0 %\n"
                           "A    (none)   (all)   2      1       1       0            50.0 %      50.0 %\n"
                           "A    (none)   COM1    1      1       0       0            100.0 %     100.0 %\n"
                           "A    (none)   COM2    1      0       1       0            0.0 %       0.0 %\n"
                           "B    (all)    (all)   1      1       0       0            100.0 %     100.0 %\n"
                           "B    (none)   (all)   1      1       0       0            100.0 %     100.0 %\n"
                           "B    (none)   COM1    1      1       0       0            100.0 %     100.0 %\n");
    const TCliRun csv = Cli({"log", "line.jsonl", "--csv"});
    ASSERT_EQ(csv.Status, 0) << csv.Err;
    EXPECT_EQ(CountOf(csv.Out, "\r\n"), 5u) << csv.Out;
    EXPECT_NE(csv.Out.find("2026-12-07T10:01:00.000Z,unit,u2,8,,,A,COM2,,run,r.toml,,failed,2,no_reply,"
                           "\"'=cmd|' /C calc'!A0, \"\"quoted\"\"\",1200,,,,\r\n"),
              std::string::npos)
        << csv.Out;
    EXPECT_NE(csv.Out.find(",command,,,,,,COM9,,write-app,'@fw.xml,2,ok,,,,100,,,,\r\n"), std::string::npos) << csv.Out;
    const TCliRun table = Cli({"log", "line.jsonl", "--failed"});
    EXPECT_NE(table.Out.find("run r.toml  serial 8  failed (no_reply) at step 2"), std::string::npos) << table.Out;
}

} // namespace
} // namespace morlith::test
