// SPDX-License-Identifier: MIT
#include "FileStream.h"

#include "FileHandle.h"

namespace morlith {

TFailure StreamFile(const std::string &path, const std::string &what, uint64_t maxBytes,
                    const std::function<void(const uint8_t *, size_t)> &consume)
{
    TFileHandle file;
    if (!file.OpenForReading(path))
        return FileFailure(file.LastError(), "cannot open the " + what, path, "reading the " + what);
    uint64_t size = 0;
    if (!file.IsRegularFile(size)) {
        TFailure refused = MakeFailure(TFailureKind::fkRefusedInput, "the " + what + " " + path + " is not a regular file");
        refused.Path = path;
        return refused;
    }
    uint64_t total = 0;
    uint8_t buffer[65536];
    for (;;) {
        const long n = file.Read(buffer, sizeof buffer);
        if (n < 0)
            return FileFailure(file.LastError(), "cannot read the " + what, path, "reading the " + what);
        if (n == 0)
            return TFailure{};
        // Counted as it is read: a file that grows meanwhile is held to the limit all the same.
        total += uint64_t(n);
        if (total > maxBytes) {
            TFailure refused = MakeFailure(TFailureKind::fkRefusedInput, "the " + what + " " + path +
                                                                             " is larger than " +
                                                                             std::to_string(maxBytes) + " bytes");
            refused.Path = path;
            return refused;
        }
        consume(buffer, size_t(n));
    }
}

TFailure ReadSmallFile(const std::string &path, const std::string &what, uint64_t maxBytes, std::string &content)
{
    content.clear();
    TFailure failure = StreamFile(path, what, maxBytes, [&](const uint8_t *data, size_t size) {
        content.append(reinterpret_cast<const char *>(data), size);
    });
    if (failure.Failed())
        content.clear();
    return failure;
}

} // namespace morlith
