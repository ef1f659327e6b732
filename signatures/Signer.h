// SPDX-License-Identifier: MIT
#pragma once
// Signing a file as `minisign -S` does, for sites without minisign: the prehashed form, the
// untrusted comment minisign writes and a trusted comment with the time and the file's name,
// written whole beside the file as FILE.minisig.

#include "Failure.h"
#include "SecretKey.h"

#include <cstdint>
#include <string>

namespace morlith {

// minisign's trusted comment for `path` signed at `unixSeconds`: "timestamp:T<TAB>file:NAME<TAB>hashed".
// Control characters in the name, which would break the signature's lines, become '?'.
std::string DefaultTrustedComment(const std::string &path, int64_t unixSeconds);

// Signs the file `path` with `key` in the prehashed form under `trustedComment` and replaces
// SignaturePathFor(path) with the signature, whole or not at all. No failure; or the file's kind
// when it cannot be read or the signature cannot be written, refused_input for a trusted comment
// that is too long or holds a line break.
TFailure SignFile(const TSecretKey &key, const std::string &path, const std::string &trustedComment);

// What the `sign` command did: the signature written, the key that made it and its trusted
// comment; or the failure.
struct TSignOutcome {
    TFailure Failure;
    std::string SignaturePath;
    std::string KeyId;
    std::string TrustedComment;
};

// The `sign` command: reads the secret key file `secretKeyPath` (asking `password` for a key
// protected by one) and signs `path` with minisign's trusted comment for now.
TSignOutcome SignWithKeyFile(const std::string &secretKeyPath, const std::string &path, const TPasswordSource &password);

} // namespace morlith
