// SPDX-License-Identifier: MIT
#pragma once
// The chain that shows a production log was tampered with: each record ends with "prev", the
// SHA-256 of the line before it (its bytes without the line end), so a line changed, removed or
// put in between breaks the chain at the line after it. A file's first record has no "prev"; a
// log written before the chain existed reads as it did, its chain starting at the first record
// that has one.

#include "Failure.h"
#include "FileHandle.h"

#include <cstddef>
#include <string>

namespace morlith {

// `line` (a JSON object) with "prev": `previousHash` as its last field; `line` itself when the
// hash is empty (a file's first line).
std::string ChainedLine(const std::string &line, const std::string &previousHash);

// The SHA-256 of the last line of the `size` bytes of `file` (an unfinished last line as it
// stands), as the next line's "prev"; empty for an empty file. False with the system's error in
// file.LastError() when it cannot be read.
bool LastLineHash(TFileHandle &file, uint64_t size, std::string &hash);

// What a look along a log's chain found.
struct TChainCheck {
    // The lines read, and those that carry "prev".
    size_t Lines = 0;
    size_t Chained = 0;
    // The first line (from 1) where the chain breaks, and why; 0 when it holds.
    size_t BrokenLine = 0;
    std::string Problem;
};

// Follows the chain of the log at `path` to its end. No failure, or the file's kind when it
// cannot be read.
TFailure VerifyLogChain(const std::string &path, TChainCheck &check);

} // namespace morlith
