// SPDX-License-Identifier: MIT
#include "PackageCheck.h"

#include "ComPortProgrammator.h"
#include "Crc16.h"
#include "MorlithFileConverter.h"
#include "NumberText.h"
#include "PackageAcceptance.h"

#include "FileHandle.h"
#include "PathText.h"

#include <array>
#include <cstring>
#include <filesystem>

namespace morlith {
namespace {

// Fills the header's fields, once it has its 8 bytes.
void ReadHeader(TPackageReport &report)
{
    const auto &header = report.Header;
    if (header.size() != kHeaderBytes)
        return;
    const std::array<uint16_t, 4> words = HeaderWords(header);
    report.HeaderImageLength = words[0];
    report.HeaderImageCrc = words[1];
    report.DsegLength = words[2];
    report.HeaderCrc = words[3];
    report.HeaderCrcHolds = CRC16(header.data(), int64_t(kHeaderBytes)) == 0;
    report.Key = ImageKey(header.data());
    unsigned sum = 0;
    for (uint8_t byte : header)
        sum += byte;
    report.SubstituteKey = uint8_t(sum) == 0;
}

// The image with `key` taken off every byte.
std::vector<uint8_t> Unkeyed(const std::vector<uint8_t> &keyedImage, uint8_t key)
{
    std::vector<uint8_t> plain(keyedImage);
    for (uint8_t &byte : plain)
        byte = uint8_t(byte - key);
    return plain;
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
    ReadHeader(report);
    if (report.HasKey()) {
        report.PlainImage = Unkeyed(converter.Image(), report.Key);
        report.ComputedImageCrc = PlainImageCrc(converter.Image(), report.Key);
    }
    // The rules a write applies, so that what info accepts a write accepts.
    report.Refusal = PackageRefusal(report.Header, converter.Image()).Detail;
    return report;
}

} // namespace morlith
