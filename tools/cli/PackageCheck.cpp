#include "PackageCheck.h"

#include "ComPortProgrammator.h"
#include "Crc16.h"
#include "MorlithFileConverter.h"
#include "NumberText.h"
#include "PackageBuilder.h"

#include "FileHandle.h"
#include "PathText.h"

#include <cstring>
#include <filesystem>

namespace morlith::cli {
namespace {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kMaxImageBytes = UINT16_MAX;

uint16_t Word(const std::vector<uint8_t> &bytes, size_t at)
{
    return uint16_t(bytes[at] << 8 | bytes[at + 1]);
}

// Fills the header fields and returns why a write would refuse the header, if it would.
std::string ReadHeader(TPackageReport &report)
{
    const auto &header = report.Header;
    if (header.empty())
        return "the package has no header: its Profile is missing or empty";
    if (header.size() != kHeaderBytes)
        return "the header is " + std::to_string(header.size()) + " bytes, not 8";
    report.HeaderImageLength = Word(header, 0);
    report.HeaderImageCrc = Word(header, 2);
    report.DsegLength = Word(header, 4);
    report.HeaderCrc = Word(header, 6);
    report.HeaderCrcHolds = CRC16(header.data(), int64_t(kHeaderBytes)) == 0;
    report.Key = ImageKey(header.data());
    unsigned sum = 0;
    for (uint8_t byte : header)
        sum += byte;
    report.SubstituteKey = uint8_t(sum) == 0;
    return report.HeaderCrcHolds ? "" : "the header CRC " + Hex16(report.HeaderCrc) + " does not match its first six bytes";
}

// The image with `key` taken off every byte.
std::vector<uint8_t> Unkeyed(const std::vector<uint8_t> &keyedImage, uint8_t key)
{
    std::vector<uint8_t> plain(keyedImage);
    for (uint8_t &byte : plain)
        byte = uint8_t(byte - key);
    return plain;
}

// Compares the plain image with the header the package builder makes for it; why a write would
// refuse.
std::string CheckImage(TPackageReport &report)
{
    if (report.ImageBytes > kMaxImageBytes)
        return "the image is " + GroupThousands(report.ImageBytes) + " bytes, more than " +
               GroupThousands(kMaxImageBytes);
    const TPackageBytes rebuilt = BuildPackageBytes(report.PlainImage, report.DsegLength);
    report.ComputedImageCrc = Word(rebuilt.Header, 2);
    if (report.ImageBytes != report.HeaderImageLength)
        return "the image is " + GroupThousands(report.ImageBytes) + " bytes, the header says " +
               GroupThousands(report.HeaderImageLength);
    if (report.ComputedImageCrc != report.HeaderImageCrc)
        return "the image CRC " + Hex16(report.ComputedImageCrc) + " differs from the header's " +
               Hex16(report.HeaderImageCrc);
    return "";
}

} // namespace

std::string CheckReadableFile(const std::string &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(PathFromUtf8(path), error);
    if (error)
        return path + ": " + error.message();
    if (std::filesystem::is_directory(status))
        return path + ": is a folder, not a file";
    TFileHandle file;
    if (!file.OpenForReading(path))
        return path + ": " + std::strerror(file.LastError());
    if (!std::filesystem::is_regular_file(status))
        return path + ": is not a regular file";
    return "";
}

TPackageReport InspectPackage(const std::string &path)
{
    TPackageReport report;
    report.Problem = CheckReadableFile(path);
    if (!report.Loaded())
        return report;
    TMorlithFileConverter converter;
    converter.LoadFromFile(path);
    if (!converter.LastLoadSucceeded()) {
        report.Problem = path + ": not a firmware package: " + converter.Serializer().LastError();
        return report;
    }
    if (!converter.Decode()) {
        report.Problem = path + ": does not decode: " + converter.LastDecodeError();
        return report;
    }
    report.Header = converter.Header();
    report.ImageBytes = converter.Image().size();
    report.Pieces = size_t(converter.Store().FirmwareList().Count());
    report.Refusal = ReadHeader(report);
    if (report.HasKey())
        report.PlainImage = Unkeyed(converter.Image(), report.Key);
    if (report.Refusal.empty())
        report.Refusal = CheckImage(report);
    return report;
}

} // namespace morlith::cli
