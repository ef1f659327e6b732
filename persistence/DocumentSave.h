// SPDX-License-Identifier: MIT
#pragma once
// Replacing a document file so that a failure or a crash at any moment leaves the previous
// document readable under its own name.

#include <string>

namespace morlith {

// Writes Content as the file Path. A symbolic link at Path stays a link: the file it leads to is
// replaced. The new content goes to a temporary file in the same folder, flushed to the disk,
// with the permission bits of the file it replaces (a new file gets 0666 less the umask), and
// is renamed over the target; the folder is flushed after the rename. While that happens the
// previous file also stands under its backup name (BackupNameFor), which is removed after a
// success and kept after a failure. False, with Error naming the file and the reason, when
// anything fails; the previous file is then unchanged and no temporary file is left.
bool SaveDocumentFile(const std::string &Path, const std::string &Content, std::string &Error);

} // namespace morlith
