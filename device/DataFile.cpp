// SPDX-License-Identifier: MIT
#include "DataFile.h"

#include "FileHandle.h"
#include "PathText.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace morlith {
namespace {

[[noreturn]] void Raise(int err, const std::string &what, const std::string &path)
{
    throw std::system_error(err, std::generic_category(), what + " " + path);
}

} // namespace

std::vector<uint8_t> ReadWholeFile(const std::string &path)
{
    TFileHandle file;
    if (!file.OpenForReading(path))
        Raise(file.LastError(), "cannot open data file", path);
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    for (;;) {
        const long n = file.Read(buffer, sizeof buffer);
        if (n < 0)
            Raise(file.LastError(), "cannot read data file", path);
        if (n == 0)
            break;
        data.insert(data.end(), buffer, buffer + n);
    }
    return data;
}

TFailure ReadInputFile(const std::string &path, uint64_t maxBytes, const std::string &what, std::vector<uint8_t> &data)
{
    const auto fileFailure = [&](int err, const std::string &problem) {
        TFailure failure = MakeFailure(TFailureKind::fkFile, "cannot read " + what + " " + path + ": " + problem);
        failure.OsError = err;
        failure.OsText = std::generic_category().message(err);
        failure.Path = path;
        return failure;
    };
    TFileHandle file;
    if (!file.OpenForReading(path))
        return fileFailure(file.LastError(), std::generic_category().message(file.LastError()));
    uint64_t size = 0;
    if (!file.IsRegularFile(size))
        return fileFailure(EISDIR, "not a regular file");
    data.clear();
    uint8_t buffer[65536];
    for (;;) {
        const long n = file.Read(buffer, sizeof buffer);
        if (n < 0)
            return fileFailure(file.LastError(), std::generic_category().message(file.LastError()));
        if (n == 0)
            return TFailure{};
        // The file may grow while it is read; the limit holds all the same.
        if (data.size() + uint64_t(n) > maxBytes) {
            TFailure refused = MakeFailure(TFailureKind::fkRefusedInput,
                                           what + " " + path + " is larger than " + std::to_string(maxBytes) + " bytes");
            refused.Path = path;
            data.clear();
            return refused;
        }
        data.insert(data.end(), buffer, buffer + n);
    }
}

} // namespace morlith
