// SPDX-License-Identifier: MIT
#pragma once
// The minisign file formats: a public key (a comment line and a base64 line holding "Ed", the
// 8-byte key id and the 32-byte Ed25519 key) and a signature (an untrusted comment, a base64 line
// holding the algorithm, the key id and the 64-byte signature of the file, a trusted comment and
// the base64 global signature over the file's signature followed by the trusted comment). The
// algorithm "Ed" signs the file itself, "ED" its BLAKE2b-512 hash. Parsing only: what is checked
// against what lives with the trusted keys.

#include "Failure.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace morlith {

// A signature or public key file larger than these is refused unread: minisign's comments are at
// most 1,024 (untrusted) and 8,192 (trusted) bytes, the rest under 200.
constexpr uint64_t kMaxSignatureFileBytes = 12 * 1024;
constexpr uint64_t kMaxKeyFileBytes = 4 * 1024;

using TKeyId = std::array<uint8_t, 8>;
using TEd25519Signature = std::array<uint8_t, 64>;

struct TPublicKey {
    TKeyId KeyId{};
    std::array<uint8_t, 32> Key{};
};

struct TSignature {
    // True for "ED" (the file's BLAKE2b-512 hash signed), false for "Ed" (the file itself).
    bool Prehashed = true;
    TKeyId KeyId{};
    TEd25519Signature FileSignature{};
    std::string UntrustedComment;
    std::string TrustedComment;
    TEd25519Signature GlobalSignature{};
};

// The key id as minisign prints it: the 8 bytes read as a little-endian number, in upper-case
// hexadecimal without leading zeros.
std::string KeyIdText(const TKeyId &id);

// Reads a public key from the text of a key file or from the bare base64 key. An empty string
// when it is one; otherwise what is wrong with it.
std::string ParsePublicKey(std::string_view text, TPublicKey &key);

// Reads the text of a signature file. An empty string when it is one; otherwise what is wrong.
std::string ParseSignature(std::string_view text, TSignature &signature);
// The text of a signature file, as minisign writes it.
std::string SignatureFileText(const TSignature &signature);

// The bytes the global signature covers: the file's signature, then the trusted comment.
std::string GlobalSignedBytes(const TSignature &signature);

// What the prehashed form signs: the BLAKE2b-512 hash of the file.
using TPrehash = std::array<uint8_t, 64>;
TPrehash PrehashOf(const uint8_t *data, size_t size);
// The hash of the file `path` (`what` names it in messages), read in pieces; its failure as
// StreamFile gives it.
TFailure PrehashFile(const std::string &path, const std::string &what, TPrehash &hash);

// Decodes strict base64 (the original alphabet with padding, nothing around it) of exactly
// `size` bytes into `out`; false when the text is not that.
bool DecodeBase64Exactly(std::string_view text, uint8_t *out, size_t size);
std::string EncodeBase64(const uint8_t *data, size_t size);

// Readies libsodium once per process; false when it cannot start (no source of randomness).
bool SodiumReady();

} // namespace morlith
