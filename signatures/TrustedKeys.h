// SPDX-License-Identifier: MIT
#pragma once
// The keys a site trusts to sign its firmware, and the check of a file against the minisign
// signature beside it (FILE.minisig): accepted with the signer's key id and the signature's
// trusted comment, or refused (refused_input) with the reason in words.

#include "Failure.h"
#include "Minisign.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morlith {

// A file signed in the plain form is read whole to be checked; one larger than this is refused
// (the prehashed form is hashed in pieces and has no such limit).
constexpr uint64_t kMaxPlainSignedBytes = 64ull * 1024 * 1024;

// Why a check ended as it did.
enum class TSignatureVerdict {
    svAccepted,
    svNoSignature, // FILE.minisig is missing
    svUntrustedKey, // signed by a key that is not trusted
    svAltered, // the file or the trusted comment does not match the signature
    svMalformed, // the signature file is not one (or is too large)
    svUnreadable, // the file or its signature cannot be read (the system's kind kept), or the file
                  // is too large for the plain form (refused_input)
};

struct TSignatureCheck {
    TSignatureVerdict Verdict = TSignatureVerdict::svAccepted;
    // Set unless accepted: kind refused_input, or the system's kind when a file cannot be read.
    TFailure Failure;
    // The key id the signature names (as minisign prints it), once the signature was read.
    std::string KeyId;
    // The signature's trusted comment; set only when accepted, as it stands in the signature.
    std::string TrustedComment;

    bool Accepted() const { return Verdict == TSignatureVerdict::svAccepted; }
};

// Where the signature of `path` is looked for: `path` with ".minisig" appended.
std::string SignaturePathFor(const std::string &path);

class TTrustedKeys {
public:
    // Adds the public key in the file `path` (UTF-8): minisign's key file or the bare base64 key.
    // No failure; or not_found, permission or file when it cannot be read, refused_input when it
    // is too large or no key.
    TFailure AddKeyFile(const std::string &path);
    // Adds the public key `text` (a key file's text or the bare base64 key); `source` names it in
    // messages. A refused_input failure when it is no key.
    TFailure AddKeyText(std::string_view text, const std::string &source);

    bool Empty() const { return FKeys.empty(); }
    // The trusted keys' ids, in the order they were added.
    std::vector<std::string> KeyIds() const;

    // Checks the file `path` against SignaturePathFor(path).
    TSignatureCheck Check(const std::string &path) const;
    // Checks `size` bytes at `data`, the content of `path` as it was read once, against
    // SignaturePathFor(path): what is checked is what will be used, whatever happens to the file.
    TSignatureCheck CheckBytes(const std::string &path, const uint8_t *data, size_t size) const;

private:
    template <typename TVerifyFile>
    TSignatureCheck CheckWith(const std::string &path, TVerifyFile verifyFile) const;

    std::vector<TPublicKey> FKeys;
};

} // namespace morlith
