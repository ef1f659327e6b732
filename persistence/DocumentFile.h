// SPDX-License-Identifier: MIT
#pragma once
// Whole-file reading and writing for persisted documents, with the operating system's reason
// kept as text on failure.

#include <cstddef>
#include <string>

namespace morlith {

// Documents larger than this are refused unread. A package holds at most 65,535 image bytes;
// cut into one-byte pieces, each piece may take up to 512 bytes of markup and indentation.
constexpr std::size_t kMaxDocumentBytes = 32 * 1024 * 1024;

// What stands at a path.
enum class TPathState { psMissing, psRegularFile, psOther };

// Looks at Path without following it into a read; symbolic links are followed.
TPathState PathState(const std::string &Path);

// Path with its extension replaced by ".bak" (appended when the file name has none). A path that
// already ends in ".bak" gets ".bak" appended, so that the backup never is the file itself.
std::string BackupNameFor(const std::string &Path);

// Reads the regular file Path into Content; fails for files over MaxBytes.
bool ReadWholeFile(const std::string &Path, std::size_t MaxBytes, std::string &Content, std::string &Error);

// Creates Path, which must not exist yet, and writes Content to it, flushed to the disk; on
// failure removes what it created, so an existing file is never truncated. Messages name
// ShownName instead of Path when it is given (a temporary file standing in for it).
bool WriteWholeFile(const std::string &Path, const std::string &Content, std::string &Error,
                    const std::string &ShownName = std::string());

} // namespace morlith
