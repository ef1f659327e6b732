// SPDX-License-Identifier: MIT
#include "PackageCommands.h"

#include "AtomicFile.h"
#include "DataFile.h"
#include "DataFiles.h"
#include "JsonLines.h"
#include "JsonReporter.h"
#include "NumberText.h"
#include "PackInput.h"
#include "PackageBuilder.h"
#include "PackageCheck.h"
#include "PackageFile.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "TerminalSize.h"

#include <memory>
#include <system_error>

namespace morlith::cli {
namespace {

std::string SpacedHex(const std::vector<uint8_t> &bytes)
{
    std::string text;
    for (uint8_t byte : bytes)
        text += (text.empty() ? "" : " ") + Hex8(byte).substr(2);
    return text;
}

std::string Verdict(const TPackageReport &report)
{
    return report.Accepted() ? "a write would accept it" : "a write would refuse it: " + report.Refusal;
}

// The third word of the header in words.
std::string DsegLengthText(uint16_t length)
{
    return GroupThousands(length) + " bytes (" + Hex16(length) + "), the data-segment length the module will have " +
           "after the write" + (length == 0 ? ": none" : "");
}

void PrintReport(const std::string &path, const TPackageReport &report, TConsole &console)
{
    const auto row = [&](const std::string &name, const std::string &value) {
        console.Out(name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + value);
    };
    row("Package", path);
    row("Pieces", std::to_string(report.Pieces));
    row("Header", SpacedHex(report.Header) + " (" + std::to_string(report.Header.size()) + " bytes)");
    if (report.Header.size() == 8) {
        row("  image length", GroupThousands(report.HeaderImageLength) + " bytes");
        row("  image CRC", Hex16(report.HeaderImageCrc));
        row("  dseg length", DsegLengthText(report.DsegLength));
        row("  header CRC", Hex16(report.HeaderCrc) + (report.HeaderCrcHolds ? " (holds)" : " (does not hold)"));
        row("Key", Hex8(report.Key) + (report.SubstituteKey ? " (substitute: the header bytes sum to 0)" : ""));
        row("Image", GroupThousands(report.ImageBytes) + " bytes decoded, CRC " + Hex16(report.ComputedImageCrc) +
                         " with the key taken off");
    } else {
        row("Image", GroupThousands(report.ImageBytes) + " bytes decoded");
    }
    row("Verdict", Verdict(report));
}

TJson ReportObject(const std::string &path, const TPackageReport &report)
{
    TJson object = JsonEvent("result");
    object["command"] = "info";
    object["file"] = path;
    object["ok"] = report.Accepted();
    object["status"] = report.Accepted() ? kExitSuccess : kExitFailed;
    object["pieces"] = int64_t(report.Pieces);
    object["header"] = SpacedHex(report.Header);
    if (report.Header.size() == 8) {
        object["image_length"] = report.HeaderImageLength;
        object["image_crc"] = Hex16(report.HeaderImageCrc);
        object["dseg_length"] = report.DsegLength;
        object["word3"] = report.DsegLength;
        object["header_crc"] = Hex16(report.HeaderCrc);
        object["header_crc_holds"] = report.HeaderCrcHolds;
        object["key"] = Hex8(report.Key);
        object["substitute_key"] = report.SubstituteKey;
        object["computed_image_crc"] = Hex16(report.ComputedImageCrc);
    }
    object["decoded_bytes"] = int64_t(report.ImageBytes);
    object["accepted"] = report.Accepted();
    if (!report.Accepted()) {
        object["refusal"] = report.Refusal;
        object["error"] = FailureObject(MakeFailure(TFailureKind::fkRefusedInput, report.Refusal));
    }
    return object;
}

// The output name that means standard output.
constexpr const char *kStandardOutput = "-";

// "" when a new file may be written at `out` beside the input `in` (or `out` is standard output,
// which then must take bytes); otherwise the problem.
std::string CheckOutput(const std::string &in, const std::string &out, const std::string &option,
                        const TCliOptions &options, bool binary)
{
    if (out == kStandardOutput) {
        if (options.Json)
            return option + " -: --json writes its events to standard output, where the output would go";
        if (binary && IsTerminal(stdout))
            return option + " -: standard output is a terminal; redirect it to a file or a program";
        UseBinaryMode(stdout);
        return "";
    }
    return CheckOutputFrom(in, out, option, options.Force);
}

TExistingFile ExistingFile(const TCliOptions &options)
{
    return options.Force ? TExistingFile::efReplace : TExistingFile::efKeep;
}

// Writes the plain image of an inspected package to --image-out; "" or the problem.
std::string WritePlainImage(const TCliOptions &options, const TPackageReport &report, TConsole &console)
{
    const std::string &out = options.Pack.ImageOut;
    if (out == kStandardOutput)
        return console.OutBytes(report.PlainImage) ? "" : "cannot write the image to standard output";
    const TFailure failure =
        ReplaceFileAtomically(out, report.PlainImage.data(), report.PlainImage.size(), ExistingFile(options));
    return failure.Failed() ? out + ": cannot write the image: " + failure.OsText : "";
}

// What pack says it wrote.
std::string PackSummary(const TCliOptions &options, const TPackInput &input, const TPackageBytes &package,
                        size_t pieces)
{
    std::string from = FormatTitle(input.Format);
    if (input.Format != TFirmwareFormat::ffBinary) {
        from += " at " + HexAddress(input.Base) + ".." + HexAddress(input.Base + input.Image.size() - 1);
    }
    if (input.FilledBytes > 0)
        from += " (" + GroupThousands(input.FilledBytes) + " gap bytes filled with " +
                Hex8(options.Pack.Fill.value_or(0xFF)) + ")";
    const std::string target = options.Out == kStandardOutput ? "standard output" : options.Out;
    return "Wrote " + target + ": " + GroupThousands(input.Image.size()) + "-byte image from " + from + " in " +
           std::to_string(pieces) + (pieces == 1 ? " piece" : " pieces") + ", data-segment length " + GroupThousands(*options.Pack.DsegLength) +
           ", header " + SpacedHex(package.Header) + ", key " + Hex8(package.Key);
}

// Writes the package to --out (a file, or standard output through a scratch file) and reads it
// back as a write would. "" or the problem.
std::string SavePackage(const TCliOptions &options, const TPackageBytes &package, TConsole &console, size_t &pieces)
{
    const bool toOutput = options.Out == kStandardOutput;
    std::unique_ptr<TTemporaryFile> scratch;
    if (toOutput)
        scratch = std::make_unique<TTemporaryFile>(TemporaryFolder());
    const std::string path = toOutput ? scratch->Path() : options.Out;
    const std::string label = toOutput ? "standard output" : options.Out;
    const std::string problem = SaveCheckedPackage(package, path, label, options.PieceBytes,
                                                   toOutput ? TExistingFile::efReplace : ExistingFile(options), pieces);
    if (!problem.empty())
        return problem;
    if (toOutput && !console.OutBytes(ReadWholeFile(path)))
        return "cannot write the package to standard output";
    return "";
}

} // namespace

int RunInfo(const TCliOptions &options, TConsole &console)
{
    const std::string &path = options.Arguments.front();
    const std::string &imageOut = options.Pack.ImageOut;
    if (!imageOut.empty()) {
        const std::string problem = CheckOutput(path, imageOut, "--image-out", options, true);
        if (!problem.empty())
            return Reject(console, options.Json, kExitBadInput, problem);
    }
    // With the image on standard output, the words go to standard error.
    TConsole wordsToError(stderr, stderr, console.ErrIsTerminal());
    TConsole &words = imageOut == kStandardOutput ? wordsToError : console;
    const TPackageReport report = InspectPackage(path);
    if (!report.Loaded())
        return Reject(console, options.Json, kExitBadInput, report.Problem);
    if (!imageOut.empty() && !report.HasKey())
        return Reject(console, options.Json, kExitFailed,
                      path + ": the header is " + std::to_string(report.Header.size()) +
                          " bytes, not 8, so the key is unknown; no image written to " + imageOut);
    if (!imageOut.empty()) {
        const std::string problem = WritePlainImage(options, report, console);
        if (!problem.empty())
            return Reject(console, options.Json, kExitFailed, problem, TFailureKind::fkFile);
    }
    if (options.Json) {
        TJson object = ReportObject(path, report);
        if (!imageOut.empty())
            object["image_out"] = imageOut;
        console.Out(JsonLine(object));
    } else if (!options.Quiet) {
        PrintReport(path, report, words);
        if (!imageOut.empty())
            words.Out("Image written   " + (imageOut == kStandardOutput ? "to standard output" : imageOut) + ": " +
                      GroupThousands(report.PlainImage.size()) + " bytes with the key taken off");
    }
    return report.Accepted() ? kExitSuccess : kExitFailed;
}

int RunPack(const TCliOptions &options, TConsole &console)
{
    if (!options.Pack.DsegLength)
        return Reject(console, options.Json, kExitBadInput,
                      "pack needs --dseg-length N: the data-segment length the module will have after the write "
                      "(the third word of the header; 0 leaves the module without a data segment)");
    const std::string &inputPath = options.Arguments.front();
    const TPackInput input = ReadPackInput(inputPath, options.Pack);
    if (!input.Ok())
        return Reject(console, options.Json, kExitBadInput, input.Problem);
    const std::string problem = CheckOutput(inputPath, options.Out, "--out", options, false);
    if (!problem.empty())
        return Reject(console, options.Json, kExitBadInput, problem);
    const TPackageBytes package = BuildPackageBytes(input.Image, *options.Pack.DsegLength);
    size_t pieces = 0;
    std::string failure;
    try {
        failure = SavePackage(options, package, console, pieces);
    } catch (const std::system_error &error) {
        failure = std::string("cannot write the package: ") + error.what();
    }
    if (!failure.empty())
        return Reject(console, options.Json, kExitFailed, failure, TFailureKind::fkFile);
    if (options.Json) {
        TJson event = JsonEvent("result");
        event["command"] = "pack";
        event["file"] = options.Out;
        event["ok"] = true;
        event["status"] = kExitSuccess;
        event["format"] = FormatName(input.Format);
        event["base"] = HexAddress(input.Base);
        event["image_bytes"] = int64_t(input.Image.size());
        event["filled_bytes"] = int64_t(input.FilledBytes);
        event["dseg_length"] = *options.Pack.DsegLength;
        event["pieces"] = int64_t(pieces);
        event["header"] = SpacedHex(package.Header);
        event["key"] = Hex8(package.Key);
        console.Out(JsonLine(event));
    } else if (!options.Quiet && options.Out == kStandardOutput)
        console.Err(PackSummary(options, input, package, pieces));
    else if (!options.Quiet)
        console.Out(PackSummary(options, input, package, pieces));
    return kExitSuccess;
}

} // namespace morlith::cli
