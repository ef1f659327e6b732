// SPDX-License-Identifier: MIT
// Recipes: every mistake of form and of input named by its line, and the steps of one unit run on
// one connection against the virtual module, with a fault at each step ending the unit there.

#include "ComPortProgrammator.h"
#include "ModuleOnPort.h"
#include "PackageAcceptance.h"
#include "PackageBuilder.h"
#include "Recipe.h"
#include "RecipeInputs.h"
#include "RecipeLogGuard.h"
#include "RecipeRunner.h"
#include "UnitRecord.h"
#include "ScratchFolder.h"
#include "UnitRun.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// The problems of a recipe, one per line, for failure messages.
std::string Listed(const std::vector<TRecipeProblem> &problems)
{
    std::string text;
    for (const TRecipeProblem &problem : problems)
        text += DescribeProblem("r.toml", problem) + "\n";
    return text;
}

// One of `problems` is at `line` and holds `words`; `text` is the recipe, for the message.
void ExpectNamed(const std::vector<TRecipeProblem> &problems, int line, const char *words, const std::string &text)
{
    const bool named = std::any_of(problems.begin(), problems.end(), [&](const TRecipeProblem &problem) {
        return problem.Line == line && Has(problem.Text, words);
    });
    EXPECT_TRUE(named) << text << "\ngave:\n" << Listed(problems);
}

// A recipe with one mistake of form: the line it must be named at and words of its message.
struct TFormMistake {
    const char *Text;
    int Line;
    const char *Words;
};

const TFormMistake kFormMistakes[] = {
    {"colour = 1\n[[step]]\nread-dseg = \"a.bin\"\n", 1, "unknown key \"colour\""},
    {"[[step]]\nread-dseg = \"a.bin\"\nvrify = true\n", 3, "unknown key \"vrify\""},
    {"[[step]]\nmcu = 0\n", 1, "has no write-app, write-dseg or read-dseg"},
    {"[[step]]\nwrite-app = \"a.xml\"\nmcu = 5\n", 3, "mcu must be 0"},
    {"[[step]]\nwrite-app = \"a.xml\"\nmcu = [1, 2, 1]\n", 3, "controller 1 is listed twice"},
    {"[[step]]\nwrite-app = \"a.xml\"\nmcu = []\n", 3, "lists no controller"},
    {"[[step]]\nwrite-app = 3\n", 2, "must name a file in quotes"},
    {"[[step]]\nread-dseg = \"b.bin\"\nwrite-app = \"a.xml\"\n", 3, "a step does one thing"},
    {"[[step]]\nwrite-app = \"a.xml\"\nexpect-sha256 = \"00\"\n", 3, "64 hexadecimal digits"},
    {"[[step]]\nread-dseg = \"b.bin\"\nexpect-sha256 = \"00\"\n", 3, "belongs to a step that writes a file"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nverify = \"yes\"\n", 3, "verify must be true or false"},
    {"[[step]]\nwrite-app = \"a.xml\"\nskip-if-current = \"yes\"\n", 3, "skip-if-current = true or false"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nskip-if-current = true\n", 3, "belongs to a write-app step"},
    {"[[step]]\nwrite-app = \"a.xml\"\nserial = { counter = \"c\", offset = 0 }\n", 3, "belongs to a write-dseg"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { offset = 0 }\n", 3, "serial needs counter"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\" }\n", 3, "missing offset"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", offset = 0, width = 9 }\n", 3, "width must be"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", offset = 0, order = \"middle\" }\n", 3,
     "order must be \"little\" or \"big\""},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", offset = 0, crc = { offset = 9, from = 4, to = 4 } }\n",
     3, "from must be below to"},
    {"[[step]]\nread-dseg = \"out-{sn}.bin\"\n", 2, "unknown field {sn}"},
    {"[[step]]\nwrite-app = \"{port}.xml\"\n", 2, "unknown field {port}"},
    {"[[step]]\nread-dseg = \"out.bin\"\nmcu = [0, 1]\n", 2, "needs {mcu} in the file name"},
    {"[[step]]\nread-dseg = \"out-{serial}.bin\"\n", 1, "no step takes a serial number"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"a\", offset = 0 }\n"
     "[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"b\", offset = 0 }\n",
     6, "take it from one place, as line 3 does (counter /line/a)"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { sequence = \"SN\", offset = 0 }\n"
     "[[step]]\nwrite-dseg = \"d.bin\"\nserial = { sequence = \"SN\", offset = 0, keep = true }\n",
     6, "take it from one place"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", sequence = \"SN\", offset = 0 }\n", 3,
     "from one place: counter, sequence or command"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { sequence = \"SN\", offset = 0, lease = 0 }\n", 3,
     "lease must be a whole number from 1 to 1000000"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", offset = 0, lease = 5 }\n", 3,
     "lease belongs to a serial taken from the store's sequence"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = \"n\", offset = 0, shared-counter = true }\n", 3,
     "shared-counter belongs to a serial taken from a counter file"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { sequence = \"\", offset = 0 }\n", 3, "sequence must name"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { counter = \"c\", offset = 0, keep = \"yes\" }\n", 3,
     "keep must be true or false"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = [], offset = 0 }\n", 3, "command names no program"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = [\"n\", 3], offset = 0 }\n", 3, "each in quotes"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = 5, offset = 0 }\n", 3, "command must be a program"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = \"n 'a\", offset = 0 }\n", 3, "cannot be split"},
    {"[[step]]\nwrite-dseg = \"d.bin\"\nserial = { command = \"n $HOME\", offset = 0 }\n", 3, "as a list instead"},
    {"lot = 3\n[[step]]\nread-dseg = \"a.bin\"\n", 1, "lot must be text"},
    {"trusted-keys = \"k.pub\"\n[[step]]\nread-dseg = \"a.bin\"\n", 1, "list of public key files"},
    {"trusted-keys = []\n[[step]]\nread-dseg = \"a.bin\"\n", 1, "list of public key files"},
    {"trusted-keys = [\n\"k.pub\",\n3]\n[[step]]\nread-dseg = \"a.bin\"\n", 3, "names of public key files"},
    {"step = 3\n", 1, "write each as [[step]]"},
    {"lot = \"L1\"\n", 0, "no [[step]]"},
    {"[[step]\nread-dseg = \"a.bin\"\n", 1, ""},
    {"[[step]]\nread-dseg = \"a.bin\"\nread-dseg = \"b.bin\"\n", 3, ""},
};

TEST(RecipeFormTest, EveryMistakeOfFormIsNamedByItsLine)
{
    for (const TFormMistake &row : kFormMistakes) {
        TRecipe recipe;
        const std::vector<TRecipeProblem> problems = ParseRecipe(row.Text, "/line", recipe);
        ASSERT_FALSE(problems.empty()) << row.Text;
        ExpectNamed(problems, row.Line, row.Words, row.Text);
    }
}

// A key or header of 150,000 parts (a 300 KB recipe) is refused at its line before the TOML library
// could recurse that deep; strings and comments with many dots, and floats, are no keys. So is a
// character that is not ASCII outside quotes, which the library's checks cannot take; inside
// strings and comments, and as a byte-order mark, it is text.
TEST(RecipeFormTest, DeeplyDottedKeysAndHeadersAreRefusedAtTheirLine)
{
    std::string chain = "a";
    for (int i = 0; i < 150000; ++i)
        chain += ".a";
    const std::string many(40, '.');
    const char *deepText = "more than 33 parts";
    const char *unquoted = "not ASCII outside quotes";
    const struct {
        std::string Text;
        int Line;
        const char *Problem;
    } refused[] = {
        {"lot = \"L\"\n" + chain + " = 1\n", 2, deepText},
        {"lot = \"L\"\n[x." + chain + "]\n", 2, deepText},
        {"lot = \"L\"\n[[" + chain + "]]\n", 2, deepText},
        {"lot = \"L\"\nx = { " + chain + " = 1 }\n", 2, deepText},
        {"lot = \"\"\"\n\n\"\"\"\n" + chain + " = 1\n", 4, deepText},
        {"[xx.\xD2\x84\xDF\x93", 1, unquoted},
        {"lot = \"L\"\nx\xD2\x84 = 1\n", 2, unquoted},
        {"lot = \"L\" \xC2\xA1\n", 1, unquoted},
        {"lot = 'L'\n# \xE2\x80\xAE\n\xE3\x80\x81 = 1\n", 3, unquoted},
        {"lot = \"L\xC3\xA9\"\n\xEF\xBB\xBF = 1\n", 2, unquoted},
    };
    for (const auto &row : refused) {
        TRecipe recipe;
        const std::vector<TRecipeProblem> problems = ParseRecipe(row.Text, "/line", recipe);
        ASSERT_EQ(problems.size(), 1u) << row.Text.substr(0, 40);
        EXPECT_EQ(problems[0].Line, row.Line) << row.Text.substr(0, 40);
        EXPECT_TRUE(Has(problems[0].Text, row.Problem)) << problems[0].Text;
    }
    TRecipe recipe;
    const std::string quiet = "\xEF\xBB\xBFlot = \"" + many + "\xD0\x9B\" # " + many + "\xE2\x80\xAE\nstation = '" + many +
                              "\xE3\x83\x87'\n" + "operator = \"\"\"\n" + many + "\xC2\xA1\n\"\"\"\n[[step]]\nread-dseg = \"a.b.c.bin\"\n";
    const std::vector<TRecipeProblem> problems = ParseRecipe(quiet, "/line", recipe);
    EXPECT_TRUE(problems.empty()) << Listed(problems);
    // 33 parts are still read.
    std::string deepest = "a";
    for (int i = 0; i < 32; ++i)
        deepest += ".a";
    const std::vector<TRecipeProblem> limit = ParseRecipe(deepest + " = 1\n", "/line", recipe);
    ASSERT_FALSE(limit.empty());
    EXPECT_FALSE(Has(limit[0].Text, "parts")) << limit[0].Text;
}

TEST(RecipeFormTest, ASerialTakesItsNumbersFromACounterASequenceOrACommand)
{
    const char *kSerial = "[[step]]\nwrite-dseg = \"d.bin\"\nserial = { offset = 0, ";
    TRecipe recipe;
    std::vector<TRecipeProblem> problems =
        ParseRecipe(std::string(kSerial) + "sequence = \"SN\", lease = 50, keep = true }\n", "/line", recipe);
    ASSERT_TRUE(problems.empty()) << Listed(problems);
    EXPECT_EQ(recipe.Serial()->Origin, TSerialOrigin::soSequence);
    EXPECT_EQ(recipe.Serial()->Sequence, "SN");
    EXPECT_EQ(recipe.Serial()->Lease, 50u);
    EXPECT_TRUE(recipe.Serial()->Keep);
    EXPECT_EQ(SerialOriginText(*recipe.Serial()), "sequence \"SN\"");

    recipe = {};
    problems = ParseRecipe(std::string(kSerial) + "command = \"next-serial --line '3 a'\" }\n", "/line", recipe);
    ASSERT_TRUE(problems.empty()) << Listed(problems);
    EXPECT_EQ(recipe.Serial()->Origin, TSerialOrigin::soCommand);
    EXPECT_EQ(recipe.Serial()->Command, (std::vector<std::string>{"next-serial", "--line", "3 a"}));
    EXPECT_FALSE(recipe.Serial()->Keep);

    recipe = {};
    problems = ParseRecipe(std::string(kSerial) + "command = [\"next serial\", \"$LINE\"] }\n", "/line", recipe);
    ASSERT_TRUE(problems.empty()) << Listed(problems);
    EXPECT_EQ(recipe.Serial()->Command, (std::vector<std::string>{"next serial", "$LINE"}));

    recipe = {};
    problems = ParseRecipe(std::string(kSerial) + "counter = \"sn\", shared-counter = true }\n", "/line", recipe);
    ASSERT_TRUE(problems.empty()) << Listed(problems);
    EXPECT_EQ(recipe.Serial()->Origin, TSerialOrigin::soCounter);
    EXPECT_TRUE(recipe.Serial()->SharedCounter);
    EXPECT_EQ(recipe.Serial()->Lease, 0u);
}

TEST(RecipeFormTest, TheKeysOfTheReadmeExampleReadAsWrittenWithPathsBesideTheRecipe)
{
    const char *text = R"(station = "line 2"
lot = "L-17"
trusted-keys = ["site.pub", "/etc/morlith/line.pub"]
[[step]]
write-app = "main.xml"
mcu = 0
expect-sha256 = "ABCDEF0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789"
[[step]]
write-app = "/srv/slave.xml"
mcu = [1, 2, 3, 4]
verify = true
[[step]]
write-dseg = "settings.bin"
serial = { counter = "serials.counter", offset = 16, width = 4, order = "little", crc = { offset = 30, from = 0, to = 30 } }
[[step]]
read-dseg = "readout-{serial}-{mcu}.bin"
)";
    TRecipe recipe;
    const std::vector<TRecipeProblem> problems = ParseRecipe(text, "/line", recipe);
    ASSERT_TRUE(problems.empty()) << Listed(problems);
    ASSERT_EQ(recipe.Steps.size(), 4u);
    EXPECT_EQ(recipe.Station, "line 2");
    EXPECT_EQ(recipe.Lot, "L-17");
    EXPECT_EQ(recipe.Steps[0].Path, "/line/main.xml");
    EXPECT_EQ(recipe.Steps[0].ExpectSha256, "abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789");
    EXPECT_EQ(recipe.Steps[1].Path, "/srv/slave.xml");
    EXPECT_EQ(recipe.Steps[1].Controllers, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(recipe.Steps[1].Verify);
    EXPECT_EQ(recipe.Steps[2].Kind, TOperationKind::okWriteDataSegment);
    EXPECT_EQ(recipe.Steps[2].Controllers, (std::vector<uint8_t>{0}));
    ASSERT_TRUE(recipe.Steps[2].Serial);
    const TSerialField &field = recipe.Steps[2].Serial->Field;
    EXPECT_EQ(field.Offset, 16u);
    EXPECT_EQ(field.Width, 4u);
    EXPECT_EQ(field.Order, TByteOrder::boLittle);
    ASSERT_TRUE(field.Crc);
    EXPECT_EQ(field.Crc->At, 30u);
    EXPECT_EQ(field.Crc->Length, 30u);
    EXPECT_EQ(recipe.Serial()->Counter, "/line/serials.counter");
    EXPECT_EQ(recipe.Steps[3].Line, 15);
    ASSERT_EQ(recipe.TrustedKeys.size(), 2u);
    EXPECT_EQ(recipe.TrustedKeys[0].Path + " " + recipe.TrustedKeys[1].Path, "/line/site.pub /etc/morlith/line.pub");
    EXPECT_EQ(recipe.TrustedKeys[1].Line, 3);
}

// The names a read-dseg pattern can make, as the log guard sees them.
TEST(RecipeLogGuardTest, APatternNamesWhatItsFieldsCanMakeAndNothingElse)
{
    test::TScratchFolder folder;
    fs::create_directory(folder.File("data"));
    std::error_code linkError;
    fs::create_directory_symlink(folder.File("data"), folder.File("linked"), linkError);
    const std::string data = folder.File("data/");
    const struct {
        std::string Pattern;
        std::string Path;
        bool Names;
    } rows[] = {
        {data + "r-{serial}.bin", data + "r-1041.bin", true},
        {data + "r-{serial}.bin", data + "r-.bin", false},
        {data + "r-{serial}.bin", data + "r-x1.bin", false},
        {data + "r-{serial}.bin", data + "r-1041.bin.jsonl", false},
        {data + "{unit}-{mcu}.bin", data + "20261207T103638.123Z-a1b2c3-4.bin", true},
        {data + "{unit}.bin", data + "sub/x.bin", false},
        {data + "{port}{time}.bin", data + ".bin", false},
        {data + "{port}{time}.bin", data + "COM320261207T103638.123Z.bin", true},
        {data + "r.{serial}.bin", data + "rx5.bin", false},
        {data + "r+[{serial}].bin", data + "r+[5].bin", true},
        {data + "r-{serial}.bin", data + "../data/r-7.bin", true},
        {data + "plain.bin", data + "plain.bin", true},
        {folder.File("{port}/r.bin"), data + "r.bin", true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(PatternMayName(row.Pattern, row.Path), row.Names) << row.Pattern << " / " << row.Path;
    if (!linkError)
        EXPECT_TRUE(PatternMayName(folder.File("linked/r-{serial}.bin"), data + "r-3.bin"));
}

// A folder with the files a recipe names, and the virtual modules it runs on.
class RecipeTest : public ::testing::Test {
protected:
    std::string Write(const std::string &name, const std::string &content)
    {
        std::ofstream(ports.File(name), std::ios::binary) << content;
        return ports.File(name);
    }
    std::string WritePackage(const std::string &name, size_t imageBytes, uint16_t dsegLength = 64)
    {
        const TPackageBytes bytes = BuildPackageBytes(std::vector<uint8_t>(imageBytes, 0x42), dsegLength);
        std::string why;
        EXPECT_TRUE(SavePackageFile(ports.File(name), bytes.Header, bytes.KeyedImage, 0, &why)) << why;
        return ports.File(name);
    }
    // Loads a recipe written into the folder and reads its inputs; every problem.
    std::vector<TRecipeProblem> Load(const std::string &text)
    {
        std::vector<TRecipeProblem> problems = LoadRecipe(Write("r.toml", text), recipe);
        const std::vector<TRecipeProblem> more = ReadRecipeInputs(recipe, inputs);
        problems.insert(problems.end(), more.begin(), more.end());
        return problems;
    }

    PrivatePortMap ports;
    TRecipe recipe;
    std::vector<TOperationInput> inputs;
    TComPortProgrammator programmator;
};

// A recipe whose inputs a module must not get: the line of the mistake and words of it.
struct TInputMistake {
    std::string Text;
    int Line;
    const char *Words;
};

const TInputMistake kInputMistakes[] = {
    {"[[step]]\nwrite-app = \"missing.xml\"\n", 1, "missing.xml"},
    {"[[step]]\nwrite-app = \"junk.xml\"\n", 1, "junk.xml"},
    {"[[step]]\nwrite-app = \"main.xml\"\nexpect-sha256 = \"" + std::string(64, '0') + "\"\n", 1, "not the 000"},
    {"[[step]]\nwrite-dseg = \"empty.bin\"\n", 1, "nothing to write"},
    {"[[step]]\nwrite-app = \"main.xml\"\nmcu = [0, 2]\n[[step]]\nwrite-dseg = \"big.bin\"\nmcu = 2\n", 4,
     "gives controller 2 a data segment of 64"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"serials.counter\", offset = 14, width = 4 }\n", 3,
     "lies outside"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"none.counter\", offset = 0 }\n", 3,
     "does not exist"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"big.counter\", offset = 0, width = 1 }\n", 3,
     "more than 1 byte holds"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"serials.counter\", offset = 0, crc = { offset = 2, from = 0, to = 8 } }\n",
     3, "inside the range it covers"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\n[[step]]\nread-dseg = \"small.bin\"\n", 3, "a reading never replaces a file"},
    {"trusted-keys = [\"missing.pub\"]\n[[step]]\nwrite-dseg = \"small.bin\"\n", 1, "missing.pub"},
    {"trusted-keys = [\"junk.xml\"]\n[[step]]\nwrite-dseg = \"small.bin\"\n", 1, "malformed public key"},
    {"[[step]]\nread-dseg = \"gone/out-{unit}.bin\"\n", 1, "is not there"},
    {"[[step]]\nread-dseg = \"small.bin/out-{unit}.bin\"\n", 1, "is not there"},
    {"[[step]]\nread-dseg = \"a-{unit}.bin\"\n[[step]]\nread-dseg = \"a-{unit}.bin\"\nmcu = 1\n", 3,
     "each reading needs a name of its own"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"serials.counter\", offset = 4 }\n"
     "[[step]]\nwrite-dseg = \"small.bin\"\n",
     4, "written over the serial field that line 3 writes on controller 0"},
    {"[[step]]\nwrite-dseg = \"small.bin\"\nserial = { counter = \"frozen.counter\", offset = 0 }\n", 3, "read-only"},
};

TEST_F(RecipeTest, EveryInputAModuleMustNotGetIsNamedAtItsStepBeforeAnyPortOpens)
{
    WritePackage("main.xml", 100);
    Write("junk.xml", "<not a package");
    Write("empty.bin", "");
    Write("big.bin", std::string(65, 'x'));
    Write("small.bin", std::string(16, 'x'));
    Write("serials.counter", "1000\n");
    Write("big.counter", "256\n");
    Write("frozen.counter", "5\n");
    std::filesystem::permissions(ports.File("frozen.counter"), std::filesystem::perms::owner_read);
    for (const TInputMistake &row : kInputMistakes) {
        ExpectNamed(Load(row.Text), row.Line, row.Words, row.Text);
    }
}

// The recipe of the runner's tests: an application on the main controller and slave 1, a data
// file on the main controller, a reading of slave 2. 100-byte images go in two chunks, the
// 60-byte data file in two.
const char *kFourSteps = R"([[step]]
write-app = "main.xml"
mcu = [0, 1]
[[step]]
write-dseg = "settings.bin"
[[step]]
read-dseg = "readout-{unit}.bin"
mcu = 2
)";

TEST_F(RecipeTest, AUnitsStepsShareOneHandshakeSelectOnlyWhenTheControllerChangesAndSayGoodbyeOnce)
{
    TModuleServer &module = ports.Serve(3);
    WritePackage("main.xml", 100);
    Write("settings.bin", std::string(60, 's'));
    ASSERT_TRUE(Load(kFourSteps).empty());
    TRecipeRunner runner(programmator, recipe, inputs, TUnitFields{std::nullopt, "u1", "COM3", "t"});
    std::vector<std::string> announced;
    runner.SetStepProgress([&](size_t index, size_t count, const std::string &name) {
        announced.push_back(std::to_string(index + 1) + "/" + std::to_string(count) + " " + name);
    });
    ASSERT_TRUE(runner.Prepare());
    ASSERT_TRUE(runner.Run(3)) << runner.Failure();
    runner.Goodbye();

    EXPECT_EQ(Commands(module), "C" "FWFWW" "IC" "FWFWW" "IC" "PFWW" "IC" "PD" "Q") << Trace(module);
    EXPECT_EQ(announced, (std::vector<std::string>{"1/4 write-app main.xml, main controller",
                                                   "2/4 write-app main.xml, controller 1",
                                                   "3/4 write-dseg settings.bin, main controller",
                                                   "4/4 read-dseg readout-u1.bin, controller 2"}));
    EXPECT_EQ(test::ReadText(ports.File("readout-u1.bin")).size(), kDefaultDataSegmentBytes);
    for (const TUnitStep &step : runner.Steps())
        EXPECT_TRUE(step.Done && !step.Skipped) << step.Name;

    // A silent module gets the handshake once and then as many times again as the retries say.
    TModuleServerOptions silent;
    silent.faults.silent = true;
    TModuleServer &mute = ports.Serve(30, silent);
    TComPortProgrammator engine;
    engine.Driver().SetInputTimeout(100);
    TRecipeRunner retried(engine, recipe, inputs, TUnitFields{std::nullopt, "u2", "COM30", "t"});
    unsigned pauses = 0;
    retried.SetHandshakeRetries(2, [&] { return ++pauses > 0; });
    ASSERT_TRUE(retried.Prepare());
    EXPECT_FALSE(retried.Run(30));
    EXPECT_EQ(Commands(mute), "CCC");
    EXPECT_EQ(pauses, 2u);
    EXPECT_EQ(retried.Failure().Kind, TFailureKind::fkNoReply) << retried.Failure();
}

// A step that may skip asks each controller what it holds and writes only where the package is not
// current: the same image with another data-segment length is written again.
TEST_F(RecipeTest, AStepThatMaySkipWritesOnlyTheControllersWhereItsPackageIsNotCurrent)
{
    TModuleServer &module = ports.Serve(3);
    WritePackage("main.xml", 100);
    ASSERT_TRUE(Load("[[step]]\nwrite-app = \"main.xml\"\nmcu = [0, 1, 2]\nskip-if-current = true\n").empty());
    ASSERT_TRUE(recipe.Steps[0].SkipIfCurrent);
    const std::array<uint16_t, 4> current = HeaderWords(inputs[0].Header);
    module.WithModule([&](TVirtualModule &m) {
        m.Controller(0).parameterBlock = current;
        m.Controller(1).parameterBlock = {current[0], current[1], uint16_t(current[2] + 1), 0};
        return 0;
    });
    TRecipeRunner runner(programmator, recipe, inputs, TUnitFields{std::nullopt, "u1", "COM3", "t"});
    ASSERT_TRUE(runner.Prepare());
    ASSERT_TRUE(runner.Run(3)) << runner.Failure();
    runner.Goodbye();

    EXPECT_EQ(Commands(module), "C" "P" "IC" "PFWFWW" "IC" "PFWFWW" "Q") << Trace(module);
    std::string skipped;
    for (const TUnitStep &step : runner.Steps())
        skipped += step.Done ? (step.AlreadyCurrent ? "s" : "w") : "-";
    EXPECT_EQ(skipped, "sww");
    TUnitRecord record;
    record.Steps = runner.Steps();
    const std::string line = UnitRecordLine(record);
    EXPECT_EQ(line.find("\"skipped\":\"already current\""), line.rfind("\"skipped\":\"already current\"")) << line;
    EXPECT_TRUE(Has(line, "\"skipped\":\"already current\"")) << line;
}

// A fault on one request frame of kFourSteps (see the sequence above): the unit step it ends
// and the kind of the failure.
struct TStepFault {
    TFaultPlan Faults;
    size_t FailedStep;
    TFailureKind Kind;
};

TFaultPlan NoReply(unsigned frame) { TFaultPlan plan; plan.noReplyFrames.insert(frame); return plan; }
TFaultPlan BadCrc(unsigned frame) { TFaultPlan plan; plan.badCrcFrames.insert(frame); return plan; }
TFaultPlan HangUpAfter(unsigned frames) { TFaultPlan plan; plan.hangUpAfterFrames = frames; return plan; }

TEST_F(RecipeTest, AFaultAtEachStepEndsTheUnitThereNamesTheStepAndLeavesTheRestUnrun)
{
    WritePackage("main.xml", 100);
    Write("settings.bin", std::string(60, 's'));
    ASSERT_TRUE(Load(kFourSteps).empty());
    const TStepFault rows[] = {
        {NoReply(1), 0, TFailureKind::fkNoReply},     // the handshake
        {NoReply(5), 0, TFailureKind::fkNoReply},     // the first chunk of the main controller
        {NoReply(7), 1, TFailureKind::fkNoReply},     // selecting controller 1
        {BadCrc(12), 1, TFailureKind::fkBadReply},    // its first chunk
        {HangUpAfter(15), 2, TFailureKind::fkHangUp}, // the data segment's length
        {NoReply(19), 2, TFailureKind::fkNoReply},    // the data's last chunk
        {NoReply(23), 3, TFailureKind::fkNoReply},    // the reading itself
    };
    int port = 10;
    for (const TStepFault &row : rows) {
        TModuleServerOptions options;
        options.faults = row.Faults;
        ports.Serve(++port, options);
        TComPortProgrammator engine;
        engine.Driver().SetInputTimeout(100);
        TRecipeRunner runner(engine, recipe, inputs, TUnitFields{std::nullopt, "u" + std::to_string(port), "", ""});
        ASSERT_TRUE(runner.Prepare());
        EXPECT_FALSE(runner.Run(port));
        runner.Goodbye();
        ASSERT_EQ(runner.FailedStep(), row.FailedStep) << "port " << port << ": " << runner.Failure();
        EXPECT_EQ(runner.Failure().Kind, row.Kind) << runner.Failure();
        EXPECT_TRUE(Has(runner.Failure().Step, "step " + std::to_string(row.FailedStep + 1) + " of 4 (")) << runner.Failure();
        for (size_t i = 0; i < runner.Steps().size(); ++i) {
            EXPECT_EQ(runner.Steps()[i].Done, i < row.FailedStep) << "port " << port << ", step " << i;
            EXPECT_EQ(runner.Steps()[i].Skipped, i > row.FailedStep) << "port " << port << ", step " << i;
        }
        const std::string line = UnitRecordLine(TUnitRecord{std::chrono::system_clock::now(), "t", "u", std::nullopt,
                                                            "", "", "", "r.toml", "", "COM1", "", runner.Steps(),
                                                            runner.Failure(), runner.FailedStep(), 0});
        EXPECT_TRUE(Has(line, "\"failed_step\":" + std::to_string(row.FailedStep + 1))) << line;
        EXPECT_EQ(Has(line, "\"result\":\"not_run\""), row.FailedStep < 3) << line;
    }
    // A unit that fails before any step (its serial number, a stop) failed all the same.
    const std::string early = UnitRecordLine(TUnitRecord{std::chrono::system_clock::now(), "t", "u", std::nullopt, "",
                                                         "", "", "r.toml", "", "COM1", "", {},
                                                         MakeFailure(TFailureKind::fkStopped, "stopped"), std::nullopt, 0});
    EXPECT_TRUE(Has(early, "\"result\":\"failed\"")) << early;
    EXPECT_FALSE(Has(early, "failed_step")) << early;
}

TEST_F(RecipeTest, TheUnitsSerialGoesIntoItsTemplateWithItsCrcAndNamesItsReading)
{
    TModuleServer &module = ports.Serve(4);
    Write("settings.bin", std::string(32, '\0'));
    Write("serials.counter", "7\n");
    ASSERT_TRUE(Load(R"([[step]]
write-dseg = "settings.bin"
serial = { counter = "serials.counter", offset = 4, width = 2, order = "big", crc = { offset = 30, from = 0, to = 30 } }
verify = true
[[step]]
read-dseg = "unit-{serial}.bin"
)")
                    .empty());
    TRecipeRunner runner(programmator, recipe, inputs, TUnitFields{0x1234, "u", "", ""});
    ASSERT_TRUE(runner.Prepare());
    ASSERT_TRUE(runner.Run(4)) << runner.Failure();
    const std::vector<uint8_t> segment =
        module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; });
    EXPECT_EQ(segment[4], 0x12);
    EXPECT_EQ(segment[5], 0x34);
    EXPECT_NE(segment[30] | segment[31], 0);
    EXPECT_EQ(runner.Steps()[1].File, ports.File("unit-4660.bin"));
    // The log fingerprints what this unit got, not the template.
    EXPECT_NE(runner.Steps()[0].Sha256, inputs[0].Sha256);
}

TEST_F(RecipeTest, AReadingThatWouldReplaceAFileStopsTheUnitBeforeAnyFrame)
{
    TModuleServer &module = ports.Serve(5);
    Write("readout-u.bin", "kept");
    ASSERT_TRUE(Load("[[step]]\nread-dseg = \"readout-{unit}.bin\"\n").empty());
    TRecipeRunner runner(programmator, recipe, inputs, TUnitFields{std::nullopt, "u", "", ""});
    EXPECT_FALSE(runner.Prepare());
    EXPECT_EQ(runner.Failure().Kind, TFailureKind::fkRefusedInput);
    EXPECT_EQ(Commands(module), "");
    EXPECT_EQ(test::ReadText(ports.File("readout-u.bin")).size(), 4u);

    // A name with the serial number is checked once the unit has its number.
    Write("serials.counter", "7\n");
    Write("settings.bin", std::string(16, '\0'));
    Write("unit-7.bin", "kept");
    ASSERT_TRUE(Load("[[step]]\nwrite-dseg = \"settings.bin\"\nserial = { counter = \"serials.counter\", offset = 0 }\n"
                     "[[step]]\nread-dseg = \"unit-{serial}.bin\"\n")
                    .empty());
    TRecipeRunner numbered(programmator, recipe, inputs, TUnitFields{});
    EXPECT_TRUE(numbered.Prepare());
    numbered.SetSerial(7);
    EXPECT_FALSE(numbered.Prepare());
    EXPECT_EQ(numbered.FailedStep(), 1u);
    EXPECT_EQ(Commands(module), "");

    // Two readings into one file: the second would replace the first. The check names it, and the
    // runner stops such a unit too.
    const std::vector<TRecipeProblem> twiceProblems =
        Load("[[step]]\nread-dseg = \"both-{unit}.bin\"\n[[step]]\nread-dseg = \"both-{unit}.bin\"\n");
    ASSERT_EQ(twiceProblems.size(), 1u) << Listed(twiceProblems);
    EXPECT_EQ(twiceProblems[0].Line, 3);
    EXPECT_TRUE(Has(twiceProblems[0].Text, "each reading needs a name of its own")) << twiceProblems[0].Text;
    TRecipeRunner twice(programmator, recipe, inputs, TUnitFields{std::nullopt, "u", "", ""});
    EXPECT_FALSE(twice.Prepare());
    EXPECT_EQ(twice.FailedStep(), 1u);
    EXPECT_TRUE(Has(twice.Failure().Detail, "read into twice")) << twice.Failure();
    EXPECT_EQ(Commands(module), "");

    // A stop requested before the unit is touched: no frame, no number taken, and a unit record
    // that says "stopped", not "ok".
    TRecipeRun run;
    ASSERT_TRUE(LoadRecipe(Write("s.toml", "[[step]]\nwrite-dseg = \"settings.bin\"\n"
                                           "serial = { counter = \"serials.counter\", offset = 0 }\n"),
                           run.Recipe)
                    .empty());
    ASSERT_TRUE(ReadRecipeInputs(run.Recipe, run.Inputs).empty());
    TUnitRun stopped(programmator, run, "COM5", "COM5");
    stopped.SetStopCheck([] { return true; });
    EXPECT_FALSE(stopped.Run(5));
    EXPECT_TRUE(stopped.Stopped());
    EXPECT_FALSE(stopped.Serial());
    EXPECT_EQ(stopped.Record("t").Failure.Kind, TFailureKind::fkStopped) << stopped.Failure();
    EXPECT_EQ(Commands(module), "");
    EXPECT_EQ(test::ReadText(ports.File("serials.counter")), "7\n");
}

// A reworked unit: with keep = true the serial its module holds (its CRC sound) is written again
// and no number is taken; a field never written, or one whose CRC fails, takes a new number. No
// number is taken for a module that does not answer.
TEST_F(RecipeTest, AKeptSerialIsTheOneTheModuleHoldsWhenItsFieldIsSound)
{
    Write("settings.bin", std::string(32, '\0'));
    const std::string kRecipe = "[[step]]\nwrite-dseg = \"settings.bin\"\nserial = { counter = \"sn.counter\", "
                                "offset = 4, width = 2, order = \"big\", crc = { offset = 30, from = 0, to = 30 }";
    TSerialField field{4, 2, TByteOrder::boBig, TCrcField{0, 30, 30, TByteOrder::boBig}};
    std::vector<uint8_t> held;
    TFailure failure;
    ASSERT_TRUE(FillSerial(std::vector<uint8_t>(32, 0x5A), field, 0x0BAD, held, failure));
    std::vector<uint8_t> erasedWithCrc;
    ASSERT_TRUE(FillSerial(std::vector<uint8_t>(32, 0x5A), field, 0xFFFF, erasedWithCrc, failure));
    std::vector<uint8_t> badCrc = held;
    badCrc[31] ^= 1;
    struct Case {
        const char *name;
        std::vector<uint8_t> segment;
        bool keep;
        bool silent;
        std::optional<uint64_t> serial;
        bool kept;
        const char *counter; // after the unit
    };
    const Case cases[] = {
        {"held", held, true, false, 0x0BAD, true, "7\n"},
        {"CRC broken", badCrc, true, false, 7, false, "8\n"},
        {"erased", std::vector<uint8_t>(32, 0xFF), true, false, 7, false, "8\n"},
        {"erased, its CRC sound", erasedWithCrc, true, false, 7, false, "8\n"},
        {"cleared", std::vector<uint8_t>(32, 0), true, false, 7, false, "8\n"},
        {"not kept", held, false, false, 7, false, "8\n"},
        {"silent", held, true, true, std::nullopt, false, "7\n"},
    };
    int port = 40;
    for (const Case &row : cases) {
        TModuleServerOptions options;
        options.dataSegmentOf[0] = row.segment;
        options.faults.silent = row.silent;
        TModuleServer &module = ports.Serve(++port, options);
        Write("sn.counter", "7\n");
        TRecipeRun run;
        ASSERT_TRUE(LoadRecipe(Write("k.toml", kRecipe + (row.keep ? ", keep = true }\n" : " }\n")), run.Recipe).empty());
        ASSERT_TRUE(ReadRecipeInputs(run.Recipe, run.Inputs).empty());
        run.Serials = OpenLocalSerials(*run.Recipe.Serial(), run.Recipe.SerialLimit(), false, {}, failure);
        TComPortProgrammator engine;
        engine.Driver().SetInputTimeout(100);
        TUnitRun unit(engine, run, "COM", "COM");
        EXPECT_EQ(unit.Run(port), !row.silent) << row.name << ": " << unit.Failure();
        EXPECT_EQ(unit.Serial(), row.serial) << row.name;
        EXPECT_EQ(test::ReadText(ports.File("sn.counter")), row.counter) << row.name;
        const std::string line = UnitRecordLine(unit.Record("t"));
        EXPECT_EQ(Has(line, "\"serial_kept\":true"), row.kept) << row.name << ": " << line;
        if (row.silent) {
            EXPECT_EQ(unit.Failure().Kind, TFailureKind::fkNoReply) << unit.Failure();
            continue;
        }
        const std::vector<uint8_t> segment =
            module.WithModule([](TVirtualModule &m) { return m.Controller(0).dataSegment; });
        EXPECT_EQ(segment[4] * 256 + segment[5], *row.serial) << row.name;
    }
}

} // namespace
