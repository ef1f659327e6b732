// SPDX-License-Identifier: MIT
#include "PackInput.h"

#include "DataFile.h"
#include "ImageAssembly.h"
#include "NumberText.h"
#include "PackageCheck.h"
#include "PathText.h"

#include <filesystem>
#include <system_error>

namespace morlith {
namespace {

// Firmware files larger than this are refused unread; an ELF file with its debugging sections
// for a 64 KiB image stays far below it.
constexpr uint64_t kMaxFirmwareFileBytes = 64ull * 1024 * 1024;

TPackInput Problem(const std::string &message)
{
    TPackInput input;
    input.Problem = message;
    return input;
}

// The file's content; an empty vector with `problem` set when it cannot be read.
std::vector<uint8_t> ReadFirmwareFile(const std::string &path, std::string &problem)
{
    problem = CheckReadableFile(path);
    if (!problem.empty())
        return {};
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(PathFromUtf8(path), sizeError);
    if (!sizeError && uint64_t(size) > kMaxFirmwareFileBytes) {
        problem = path + ": " + GroupThousands(uint64_t(size)) + " bytes, more than any firmware file (" +
                  GroupThousands(kMaxFirmwareFileBytes) + ")";
        return {};
    }
    try {
        return ReadWholeFile(path);
    } catch (const std::system_error &error) {
        problem = error.what();
    }
    return {};
}

} // namespace

TPackInput ReadPackInput(const std::string &path, const TPackOptions &options)
{
    std::string problem;
    const std::vector<uint8_t> file = ReadFirmwareFile(path, problem);
    if (!problem.empty())
        return Problem(problem);
    TPackInput input;
    const TDecodedFirmware decoded = DecodeFirmware(file, options.Format, input.Format);
    const std::string title = FormatTitle(input.Format);
    if (!decoded.Ok()) {
        const TImageFault fault = decoded.Error->Fault;
        const bool aboutFormat = fault == TImageFault::ifFormatMismatch || fault == TImageFault::ifUnknownText;
        return Problem(path + ": " + (aboutFormat ? "" : title + ": ") + decoded.Error->Message);
    }
    if (input.Format == TFirmwareFormat::ffBinary && (options.Base || options.Fill))
        return Problem(path + ": --base and --fill apply to Intel HEX, S-record and ELF files, not to a raw binary "
                              "image, which is packed as it stands");
    const TAssembledImage assembled = AssembleImage(decoded.Data, TImageLayout{options.Base, options.Fill.value_or(0xFF)});
    if (!assembled.Ok())
        return Problem(path + ": " + title + ": " + assembled.Error->Message);
    input.Image = assembled.Image;
    input.Base = assembled.Base;
    input.FilledBytes = assembled.FilledBytes;
    return input;
}

} // namespace morlith
