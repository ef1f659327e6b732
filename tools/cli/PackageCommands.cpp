#include "PackageCommands.h"

#include "DataFile.h"
#include "DataFiles.h"
#include "JsonLines.h"
#include "NumberText.h"
#include "PackageBuilder.h"
#include "PackageCheck.h"
#include "Rejection.h"
#include "SessionReport.h"

#include <sys/stat.h>
#include <system_error>

namespace morlith::cli {
namespace {

constexpr uint64_t kMaxImageBytes = UINT16_MAX;

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
        row("  third word", Hex16(report.Word3) + " (" + std::to_string(report.Word3) + ")");
        row("  header CRC", Hex16(report.HeaderCrc) + (report.HeaderCrcHolds ? " (holds)" : " (does not hold)"));
        row("Key", Hex8(report.Key) + (report.SubstituteKey ? " (substitute: the header bytes sum to 0)" : ""));
        row("Image", GroupThousands(report.ImageBytes) + " bytes decoded, CRC " + Hex16(report.ComputedImageCrc) +
                         " with the key taken off");
    } else {
        row("Image", GroupThousands(report.ImageBytes) + " bytes decoded");
    }
    row("Verdict", Verdict(report));
}

TJsonObject ReportObject(const std::string &path, const TPackageReport &report)
{
    const int status = report.Accepted() ? kExitSuccess : kExitFailed;
    TJsonObject object("result");
    object.Text("command", "info").Text("file", path).Flag("ok", report.Accepted()).Number("status", status);
    object.Number("pieces", int64_t(report.Pieces)).Text("header", SpacedHex(report.Header));
    if (report.Header.size() == 8) {
        object.Number("image_length", report.HeaderImageLength)
            .Text("image_crc", Hex16(report.HeaderImageCrc))
            .Number("word3", report.Word3)
            .Text("header_crc", Hex16(report.HeaderCrc))
            .Flag("header_crc_holds", report.HeaderCrcHolds)
            .Text("key", Hex8(report.Key))
            .Flag("substitute_key", report.SubstituteKey)
            .Text("computed_image_crc", Hex16(report.ComputedImageCrc));
    }
    object.Number("decoded_bytes", int64_t(report.ImageBytes)).Flag("accepted", report.Accepted());
    if (!report.Accepted())
        object.Text("refusal", report.Refusal);
    return object;
}

// Reads the plain image for pack; "" or the problem.
std::string ReadImage(const std::string &path, std::vector<uint8_t> &image)
{
    const std::string problem = CheckReadableFile(path);
    if (!problem.empty())
        return problem;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && uint64_t(info.st_size) > kMaxImageBytes)
        return path + ": " + GroupThousands(uint64_t(info.st_size)) + " bytes, more than an image can hold (" +
               GroupThousands(kMaxImageBytes) + ")";
    try {
        image = ReadWholeFile(path);
    } catch (const std::system_error &error) {
        return error.what();
    }
    return "";
}

bool SameFile(const std::string &a, const std::string &b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

} // namespace

int RunInfo(const TCliOptions &options, TConsole &console)
{
    const std::string &path = options.Arguments.front();
    const TPackageReport report = InspectPackage(path);
    if (!report.Loaded())
        return Reject(console, options.Json, kExitBadInput, report.Problem);
    if (options.Json)
        console.Out(ReportObject(path, report).Line());
    else if (!options.Quiet)
        PrintReport(path, report, console);
    return report.Accepted() ? kExitSuccess : kExitFailed;
}

int RunPack(const TCliOptions &options, TConsole &console)
{
    const std::string &imagePath = options.Arguments.front();
    std::vector<uint8_t> image;
    std::string problem = ReadImage(imagePath, image);
    if (problem.empty() && SameFile(imagePath, options.Out))
        problem = options.Out + ": is the image itself; give another --out";
    if (problem.empty())
        problem = CheckNewFile(options.Out, true);
    if (!problem.empty())
        return Reject(console, options.Json, kExitBadInput, problem);
    const TPackageBytes package = BuildPackageBytes(image, options.Word3);
    std::string why;
    if (!SavePackageFile(options.Out, package.Header, package.KeyedImage, options.PieceBytes, &why))
        return Reject(console, options.Json, kExitFailed, options.Out + ": cannot write the package: " + why);
    // Read back what was written, as a write would.
    const TPackageReport report = InspectPackage(options.Out);
    if (!report.Accepted())
        return Reject(console, options.Json, kExitFailed,
                      options.Out + ": the package written does not check: " +
                          (report.Loaded() ? report.Refusal : report.Problem));
    const std::string summary = "Wrote " + options.Out + ": " + GroupThousands(image.size()) + "-byte image in " +
                                std::to_string(report.Pieces) + " pieces, header " + SpacedHex(package.Header) +
                                ", key " + Hex8(package.Key);
    if (options.Json)
        console.Out(TJsonObject("result")
                        .Text("command", "pack")
                        .Text("file", options.Out)
                        .Flag("ok", true)
                        .Number("status", kExitSuccess)
                        .Number("image_bytes", int64_t(image.size()))
                        .Number("pieces", int64_t(report.Pieces))
                        .Text("header", SpacedHex(package.Header))
                        .Text("key", Hex8(package.Key))
                        .Line());
    else if (!options.Quiet)
        console.Out(summary);
    return kExitSuccess;
}

} // namespace morlith::cli
