// SPDX-License-Identifier: MIT
// Signed firmware end to end: with trusted keys a package or data file goes to a module only when
// the minisign signature beside it checks, refused before any frame otherwise; check names every
// such input; the record names the signer; sign writes what minisign itself accepts.

#include "CliFixture.h"
#include "MinisignTool.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace morlith::test {
namespace {

class SignedFirmwareTest : public CliTest {
protected:
    void SetUp() override
    {
        Site = MakeToolKey(Keys, "site");
        Other = MakeToolKey(Keys, "other");
    }
    std::string KindOf(const TCliRun &run) { return FieldOf(ResultOf(run).dump(), "kind"); }

    TScratchFolder Keys;
    TToolKey Site;
    TToolKey Other;
};

// Every way a file can fail its signature, for a package and a data file alike: refused with
// status 2 and kind refused_input, and the module never hears a frame.
TEST_F(SignedFirmwareTest, AnInputWithoutAGoodSignatureIsRefusedBeforeAnyFrame)
{
    struct TCase {
        const char *Name;
        std::function<void(const std::string &file)> Prepare;
        const char *Reason;
    };
    const std::vector<TCase> cases = {
        {"Unsigned", [](const std::string &) {}, "no signature"},
        {"ByAnotherKey", [&](const std::string &file) { SignWithTool(Other, file, false); }, "not signed by a trusted key"},
        {"AlteredAfterSigning",
         [&](const std::string &file) {
             SignWithTool(Site, file, false);
             std::vector<uint8_t> bytes = ReadBytes(file);
             bytes.back() ^= 1;
             WriteText(file, std::string(bytes.begin(), bytes.end()));
         },
         "altered"},
    };
    TModuleServer &module = ServeSegment(1, 64, 3);
    for (const TCase &item : cases) {
        for (const std::string command : {"write-app", "write-dseg"}) {
            const std::string name = std::string(item.Name) + (command == "write-app" ? ".xml" : ".bin");
            const std::string file = command == "write-app" ? WritePackage(name, Pattern(60, 2))
                                                             : WriteBytes(name, Pattern(30, 2));
            item.Prepare(file);
            const TCliRun run = Cli({"--json", "-p1", command, name, "--trusted-key", Site.PublicPath});
            EXPECT_EQ(run.Status, 2) << item.Name << " " << command << ": " << run.Err;
            EXPECT_EQ(KindOf(run), "refused_input") << item.Name << " " << command << ": " << run.Out;
            EXPECT_NE(run.Err.find(item.Reason), std::string::npos) << item.Name << ": " << run.Err;
        }
    }
    // Standard input has no signature beside it; a key file that is missing stops the command too.
    const TCliRun piped = RunCliWithInput({"--json", "-p1", "write-dseg", "--trusted-key", Site.PublicPath, "-"},
                                          std::string(30, 'x'), Folder());
    EXPECT_EQ(piped.Status, 2) << piped.Err;
    EXPECT_EQ(KindOf(piped), "refused_input") << piped.Out;
    WriteBytes("signed.bin", Pattern(30, 4));
    SignWithTool(Site, File("signed.bin"), false);
    EXPECT_EQ(Cli({"-p1", "write-dseg", "signed.bin", "--trusted-key", File("missing.pub")}).Status, 2);
    EXPECT_EQ(Commands(module), "");
}

// Signed by a trusted key in either of minisign's forms (one key among several given), the file
// is written and the record names the key and the signature's trusted comment.
TEST_F(SignedFirmwareTest, ASignedInputIsWrittenAndTheRecordNamesItsSigner)
{
    TModuleServer &module = ServeSegment(2, 64, 3);
    const std::string package = WritePackage("app.xml", Pattern(60, 5), 64);
    SignWithTool(Site, package, false, "release 4.2 for line B");
    const std::string data = WriteBytes("d.bin", Pattern(30, 5));
    SignWithTool(Site, data, true);
    const TCliRun app = Cli({"-p2", "--log", "log.jsonl", "write-app", "app.xml", "--trusted-key", Other.PublicPath,
                             "--trusted-key", Site.PublicPath});
    ASSERT_EQ(app.Status, 0) << app.Err;
    const TCliRun dseg = Cli({"-p2", "--log", "log.jsonl", "write-dseg", "d.bin", "--trusted-key", Site.PublicPath});
    ASSERT_EQ(dseg.Status, 0) << dseg.Err;
    const std::vector<uint8_t> segment =
        module.WithModule([](TVirtualModule &each) { return each.Controller(0).dataSegment; });
    ASSERT_GE(segment.size(), 30u);
    EXPECT_EQ(std::vector<uint8_t>(segment.begin(), segment.begin() + 30), Pattern(30, 5));
    const std::vector<std::string> lines = ReadLines(File("log.jsonl"));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json first = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(first["package"]["signature"]["key_id"], Site.KeyId) << lines[0];
    EXPECT_EQ(first["package"]["signature"]["trusted_comment"], "release 4.2 for line B") << lines[0];
    const nlohmann::json second = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(second["data_file"]["signature"]["key_id"], Site.KeyId) << lines[1];
    // Without trusted keys no signature is asked for and none is recorded.
    ASSERT_EQ(Cli({"-p2", "--log", "plain.jsonl", "write-dseg", "d.bin"}).Status, 0);
    EXPECT_EQ(ReadText(File("plain.jsonl")).find("signature"), std::string::npos);
}

// check names every input of a recipe that would be refused, with the recipe's own keys (relative
// to the recipe) or the command line's, and passes once all are signed; run refuses before a frame.
TEST_F(SignedFirmwareTest, CheckNamesEveryUnsignedInputAndPassesOnceAllAreSigned)
{
    WriteSerialRecipe("r.toml");
    std::filesystem::copy_file(Site.PublicPath, File("site.pub"));
    const std::string recipe = ReadText(File("r.toml"));
    WriteText(File("signed.toml"), "trusted-keys = [\"site.pub\"]\n" + recipe);
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"check", "signed.toml"},
          std::vector<std::string>{"check", "r.toml", "--trusted-key", Site.PublicPath}}) {
        const TCliRun unsigned_ = Cli(arguments);
        EXPECT_EQ(unsigned_.Status, 2) << unsigned_.Err;
        EXPECT_EQ(CountOf(unsigned_.Err, "no signature"), 2u) << unsigned_.Err;
        EXPECT_NE(unsigned_.Err.find("main.xml.minisig"), std::string::npos) << unsigned_.Err;
        EXPECT_NE(unsigned_.Err.find("settings.bin.minisig"), std::string::npos) << unsigned_.Err;
    }
    SignWithTool(Site, File("main.xml"), false);
    TModuleServer &module = Ports.Serve(3);
    const TCliRun half = Cli({"-p3", "run", "signed.toml"});
    EXPECT_EQ(half.Status, 2) << half.Err;
    EXPECT_EQ(CountOf(half.Err, "no signature"), 1u) << half.Err;
    EXPECT_EQ(Commands(module), "");
    EXPECT_EQ(ReadText(File("serials.counter")), "1041\n");
    SignWithTool(Site, File("settings.bin"), true);
    const TCliRun good = Cli({"check", "signed.toml"});
    EXPECT_EQ(good.Status, 0) << good.Err;
    // A key the recipe names that is not there is a mistake at its line.
    WriteText(File("lost.toml"), "trusted-keys = [\"lost.pub\"]\n" + recipe);
    const TCliRun lost = Cli({"check", "lost.toml"});
    EXPECT_EQ(lost.Status, 2);
    EXPECT_NE(lost.Err.find("lost.toml:1:"), std::string::npos) << lost.Err;
}

// sign writes a signature minisign itself accepts; a key that is no key is refused and writes nothing.
TEST_F(SignedFirmwareTest, SignWritesWhatMinisignAccepts)
{
    const std::string data = WriteBytes("d.bin", Pattern(300, 6));
    const TCliRun run = Cli({"--json", "sign", "--key", Site.SecretPath, "d.bin"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ResultOf(run)["key_id"], Site.KeyId) << run.Out;
    EXPECT_TRUE(ToolVerifies(Site, data));
    EXPECT_EQ(Cli({"-p1", "check", "d.bin"}).Status, 2); // not a recipe: no accidental success
    const TCliRun notKey = Cli({"--json", "sign", "--key", Site.PublicPath, "other.bin"});
    EXPECT_EQ(notKey.Status, 2) << notKey.Err;
    const TCliRun missing = Cli({"--json", "sign", "--key", File("missing.key"), "d.bin"});
    EXPECT_EQ(missing.Status, 1) << missing.Err;
    EXPECT_EQ(KindOf(missing), "not_found") << missing.Out;
    EXPECT_FALSE(std::filesystem::exists(File("other.bin.minisig")));
}

} // namespace
} // namespace morlith::test
