// SPDX-License-Identifier: MIT
#pragma once
// What a device operation writes to a module, read once into memory: the bytes that are checked,
// fingerprinted in the log and sent are the same, whatever happens to the file meanwhile.

#include "Failure.h"
#include "HexText.h"
#include "OperationKind.h"
#include "OperationRecord.h"
#include "TrustedKeys.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// The largest data segment a module can report (its length is a 16-bit word), in bytes.
constexpr uint64_t kMaxDataSegmentBytes = UINT16_MAX;

struct TOperationInput {
    // The file read; empty for bytes from elsewhere (standard input).
    std::string Path;
    // How messages and the log name it ("standard input"); Path unless told otherwise.
    std::string Label;
    // The file's content: a package's text or a data file's bytes.
    TByteArray Bytes;
    // Their SHA-256, 64 lower-case hexadecimal digits.
    std::string Sha256;
    // A package's header (8 bytes once accepted).
    TByteArray Header;
    // Once its signature checked against a trusted key: that key's id and the signature's
    // trusted comment; empty when no key is trusted.
    std::string SignerKeyId;
    std::string TrustedComment;
};

// Reads the input of `Kind` (a package for write-app, a data file for write-dseg) from `Path`
// into `Input` and checks it as a write would. `Label` names it (Path when empty). No failure;
// or kind "file" when it cannot be read, "refused_input" when a write would refuse it.
TFailure ReadOperationInput(TOperationKind Kind, const std::string &Path, const std::string &Label,
                            TOperationInput &Input);

// Fingerprints and checks bytes already in `Input` (Bytes and Label set), as ReadOperationInput does.
TFailure AcceptOperationInput(TOperationKind Kind, TOperationInput &Input);

// A refused_input failure when `Expected` (hexadecimal digits, either case) is not empty and is not
// the input's SHA-256; no failure otherwise.
TFailure CheckExpectedSha256(const TOperationInput &Input, const std::string &Expected);

// Adds the public key files `Files` to `Keys`; the failure of the first that cannot be read or is
// no key (its kind kept), so that a key lost never lets unsigned input through.
TFailure AddTrustedKeyFiles(const std::vector<std::string> &Files, TTrustedKeys &Keys);

// With `Keys` not empty: a refused_input failure (or the kind of a signature that cannot be read)
// unless Input's bytes, as they were read, check against the signature beside Input.Path by one
// of the keys; input without a file (standard input) has no signature and is refused. Once
// accepted, Input names the signer and the trusted comment. No failure when no key is trusted.
TFailure CheckInputSignature(const TTrustedKeys &Keys, TOperationInput &Input);

// How the log identifies the input: a package with its header's image length and CRC, a data
// file with its path and SHA-256.
TPackageFingerprint PackageFingerprint(const TOperationInput &Input);
TFileFingerprint FileFingerprint(const TOperationInput &Input);

// True when `a` and `b` are one file: the same device and inode once links are followed, or, for
// a file not made yet, the same path once made absolute with its links resolved.
bool SameFile(const std::string &a, const std::string &b);

} // namespace morlith
