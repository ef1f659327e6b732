// SPDX-License-Identifier: MIT
// pack from Intel HEX, S-record and ELF files: the same image from every format, the layout
// options, the image in a module, and damaged files refused with nothing written.

#include "CliFixture.h"
#include "FirmwareSamples.h"

#include <fstream>

namespace morlith::test {
namespace {

using PackFormats = CliTest;

// Two pieces of firmware with a gap between them.
const std::vector<TSampleSegment> kSegments = {{0x0100, Pattern(700, 1)}, {0x0400, Pattern(90, 2)}};

// The image of kSegments: from 0x0100 to the end of the second, the gap filled with `fill`.
std::vector<uint8_t> ExpectedImage(uint8_t fill = 0xFF, size_t leading = 0)
{
    std::vector<uint8_t> image(leading + 0x0400 + 90 - 0x0100, fill);
    std::copy(kSegments[0].Bytes.begin(), kSegments[0].Bytes.end(), image.begin() + long(leading));
    std::copy(kSegments[1].Bytes.begin(), kSegments[1].Bytes.end(), image.begin() + long(leading + 0x300));
    return image;
}

void WriteText(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

class PackFormatFiles : public PackFormats {
protected:
    // Writes kSegments in every format; returns the file names.
    std::vector<std::string> WriteEveryFormat()
    {
        WriteText(File("app.hex"), IntelHexText(kSegments));
        WriteText(File("app.s19"), SRecordText(kSegments));
        WriteBytes("app32be.elf", ElfFile(kSegments, TElfShape{false, true}));
        WriteBytes("app64le.elf", ElfFile(kSegments, TElfShape{true, false}));
        return {"app.hex", "app.s19", "app32be.elf", "app64le.elf"};
    }
    // Packs `input` and returns the plain image info decodes from the package.
    std::vector<uint8_t> PackedImage(const std::string &input, std::vector<std::string> options = {})
    {
        std::vector<std::string> words = {"pack", input, "--out", input + ".xml", "--dseg-length", "16", "--force"};
        words.insert(words.end(), options.begin(), options.end());
        const TCliRun pack = Cli(words);
        EXPECT_EQ(pack.Status, 0) << input << ": " << pack.Err;
        const TCliRun info = Cli({"info", input + ".xml", "--image-out", input + ".bin", "--force"});
        EXPECT_EQ(info.Status, 0) << input << ": " << info.Err << info.Out;
        return ReadBytes(File(input + ".bin"));
    }
};

TEST_F(PackFormatFiles, EveryFormatGivesTheSameImageFromItsLowestAddress)
{
    for (const std::string &name : WriteEveryFormat())
        EXPECT_EQ(PackedImage(name), ExpectedImage()) << name;
    // Detection or the format named: the same.
    EXPECT_EQ(PackedImage("app.hex", {"--format", "ihex"}), ExpectedImage());
}

TEST_F(PackFormatFiles, BaseAndFillShapeTheImage)
{
    WriteEveryFormat();
    EXPECT_EQ(PackedImage("app.s19", {"--base", "0x0080", "--fill", "0x00"}), ExpectedImage(0x00, 0x80));
    // A raw image is packed as it stands.
    WriteBytes("raw.bin", Pattern(10, 1));
    EXPECT_EQ(Cli({"pack", "raw.bin", "--out", "x.xml", "--dseg-length", "0", "--fill", "0"}).Status, 2);
    EXPECT_FALSE(Exists(File("x.xml")));
}

TEST_F(PackFormatFiles, SaysWhatItMadeTheImageOf)
{
    WriteEveryFormat();
    const TCliRun human = Cli({"pack", "app.hex", "--out", "a.xml", "--dseg-length", "16"});
    ASSERT_EQ(human.Status, 0) << human.Err;
    EXPECT_NE(human.Out.find("from Intel HEX at 0x0100..0x0459"), std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find("68 gap bytes filled with 0xFF"), std::string::npos) << human.Out;
    const TCliRun json = Cli({"pack", "app64le.elf", "--out", "b.xml", "--dseg-length", "16", "--json"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    EXPECT_NE(json.Out.find("\"format\":\"elf\",\"base\":\"0x0100\",\"image_bytes\":858,\"filled_bytes\":68"),
              std::string::npos)
        << json.Out;
}

TEST_F(PackFormatFiles, AHexPackageLeavesItsImageInTheModule)
{
    TModuleServer &module = Ports.Serve(5);
    WriteEveryFormat();
    ASSERT_EQ(Cli({"pack", "app.hex", "--out", "app.xml", "--dseg-length", "16"}).Status, 0);
    const TCliRun write = Cli({"--port", "5", "write-app", "app.xml"});
    ASSERT_EQ(write.Status, 0) << write.Err;
    EXPECT_EQ(ProgramMemory(module), ExpectedImage());
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).parameterBlock[2]; }), 16);
}

// --format bin packs any file byte for byte, even one that starts like a HEX file.
TEST_F(PackFormatFiles, RawBinaryAskedForPacksAnyFileAsItStands)
{
    WriteEveryFormat();
    EXPECT_EQ(PackedImage("app.hex", {"--format", "bin"}), ReadBytes(File("app.hex")));
}

// A damaged firmware file and what the refusal must name.
struct TBadFirmware {
    const char *Name;
    std::vector<uint8_t> Content;
    const char *Reason;
};

std::vector<uint8_t> Text(const std::string &text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// ASCII text as UTF-16, low byte first, after its byte order mark.
std::vector<uint8_t> Utf16Text(const std::string &text)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char c : text)
        bytes.insert(bytes.end(), {uint8_t(c), 0});
    return bytes;
}

std::vector<TBadFirmware> BadFirmwareFiles()
{
    std::string badSum = IntelHexText({{0, Pattern(40, 1)}});
    char &digit = badSum[badSum.find("\r\n") - 1]; // the last checksum digit of line 1
    digit = digit == '0' ? '1' : '0';
    std::string cut = SRecordText({{0, Pattern(40, 1)}});
    cut.erase(cut.find('\n', cut.find('\n') + 1) - 4, 4); // the end of line 2
    std::vector<uint8_t> cutElf = ElfFile(kSegments);
    cutElf.resize(cutElf.size() - 10);
    return {
        {"checksum.hex", Text(badSum), "line 1: checksum"},
        {"cut.srec", Text(cut), "line 2: the record ends"},
        {"far.hex", Text(IntelHexText({{0, {1}}, {0x10000, {2}}})), "past the 65,535 bytes"},
        {"overlap.hex", Text(IntelHexText({{0x10, Pattern(8, 1)}, {0x14, {1}}})), "line 2 gives bytes"},
        {"no-end.hex", Text(HexRecord(0, 0, {1, 2}) + "\n"), "no end-of-file"},
        {"cut.elf", cutElf, "past the end of the file"},
        {"nothing.elf", ElfFile({}), "no loadable"},
        {"utf16.hex", Utf16Text(IntelHexText(kSegments)), "UTF-16"},
        {"comments.hex", Text("; made by a vendor tool\n" + IntelHexText(kSegments)), "begins with ';'"},
        {"far.elf", ElfFile({{0, Pattern(16, 1)}, {0x20000, Pattern(16, 2)}}), "past the 65,535 bytes"},
    };
}

TEST_F(PackFormats, DamagedFilesAreRefusedWithTheReasonAndNothingIsWritten)
{
    for (const TBadFirmware &bad : BadFirmwareFiles()) {
        WriteBytes(bad.Name, bad.Content);
        const auto before = FolderEntries();
        const TCliRun run = Cli({"pack", bad.Name, "--out", "out.xml", "--dseg-length", "0"});
        EXPECT_EQ(run.Status, 2) << bad.Name << ": " << run.Err;
        EXPECT_NE(run.Err.find(bad.Name), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find(bad.Reason), std::string::npos) << bad.Name << ": " << run.Err;
        EXPECT_EQ(FolderEntries(), before) << bad.Name;
        const TCliRun json = Cli({"pack", bad.Name, "--out", "out.xml", "--dseg-length", "0", "--json"});
        EXPECT_EQ(json.Status, 2);
        EXPECT_EQ(FieldOf(json.Out, "kind"), "refused_input") << json.Out;
    }
}

} // namespace
} // namespace morlith::test
