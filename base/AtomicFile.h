// SPDX-License-Identifier: MIT
#pragma once
// Replacing a file as a whole: a failure or a crash at any moment leaves either the previous file
// or the complete new one under the name, never a part, and no temporary file behind.

#include "Failure.h"

#include <cstddef>
#include <string>

namespace morlith {

// What ReplaceFileAtomically does when a file is already at its path.
enum class TExistingFile { efReplace, efKeep };

// Writes `size` bytes as the file `path`: they go to a new hidden file in the same folder, which
// is synced and then renamed over `path` (on Windows moved with write-through); the folder is
// synced after the rename. A new file gets 0666 less the umask; a replaced regular file lends its
// permission bits (never setuid, setgid or sticky bits), and a read-only one is replaced as
// well. A symbolic link at `path` is replaced, not followed (FollowLinks resolves it first for
// callers that want the link kept). With efKeep a file at `path`, even one made while the bytes
// were written, is kept and the write fails with EEXIST. A failure has the kind "file", the OS
// error and `path`; the temporary file is removed and any previous file is left untouched.
TFailure ReplaceFileAtomically(const std::string &path, const void *data, size_t size,
                               TExistingFile existing = TExistingFile::efReplace);
inline TFailure ReplaceFileAtomically(const std::string &path, const std::string &content,
                                      TExistingFile existing = TExistingFile::efReplace)
{
    return ReplaceFileAtomically(path, content.data(), content.size(), existing);
}

// The file a chain of symbolic links starting at `path` ends at (`path` itself when it is no link,
// the missing name when a link dangles), in `target`. A failure for a loop or an unreadable link.
TFailure FollowLinks(const std::string &path, std::string &target);

// The folder part of `path` ("." when it has none, "/" for a file in the root).
std::string FolderOf(const std::string &path);

} // namespace morlith
