#pragma once
// Whole-file reads and writes of data-segment files. Failures raise std::system_error carrying
// errno, with the file name in the message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// The whole content of the file at `path`.
std::vector<uint8_t> ReadWholeFile(const std::string &path);

// Creates a new, empty file `<folder>/<prefix>` plus six random letters, with mode 0666 less the
// umask; returns its descriptor (close-on-exec) and puts its path in `path`. Raises
// std::system_error when no file can be made there.
int CreateUniqueFile(const std::string &folder, const std::string &prefix, std::string &path);

// Gives the file open as `fd` the permission bits of the regular file at `path`, if there is one,
// and nothing more: never setuid, setgid or sticky bits, never the mode of a link's target.
void CopyPermissionBits(const std::string &path, int fd);

// What WriteFileAtomically does when a file is already at its path.
enum class TExistingFile { efReplace, efKeep };

// Replaces the file at `path` by `size` bytes as a whole: they go to a temporary file in the same
// folder, which is synced and then renamed over `path`. On failure the temporary file is removed
// and any previous file at `path` is left untouched. With efKeep a file at `path`, even one made
// while the bytes were written, is kept and the write fails with EEXIST.
void WriteFileAtomically(const std::string &path, const uint8_t *data, size_t size,
                         TExistingFile existing = TExistingFile::efReplace);

} // namespace morlith
