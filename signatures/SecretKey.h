// SPDX-License-Identifier: MIT
#pragma once
// A minisign secret key file: a comment line and a base64 line holding the algorithm "Ed", the
// key-derivation algorithm ("Sc", scrypt, for a key protected by a password; two zero bytes for
// one written with `minisign -G -W`), the checksum algorithm "B2", the scrypt salt and limits, and
// then the key id, the 64-byte Ed25519 secret key and its BLAKE2b-256 checksum, encrypted by the
// scrypt stream when a password protects them.

#include "Failure.h"
#include "Minisign.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace morlith {

struct TSecretKey {
    TSecretKey() = default;
    // Wipes the key from memory.
    ~TSecretKey();
    TSecretKey(const TSecretKey &) = delete;
    TSecretKey &operator=(const TSecretKey &) = delete;

    TKeyId KeyId{};
    // The seed (32 bytes) and the public key (32 bytes), as libsodium keeps an Ed25519 secret key.
    std::array<uint8_t, 64> Key{};
};

// Gives the password of a protected key (asked of the user); called only for such a key.
using TPasswordSource = std::function<std::string()>;

// Reads the secret key text `text` (`source` names it in messages) into `key`, decrypting it with
// the password `password` gives when it is protected. An empty string when it is a key; otherwise
// what is wrong (a wrong password among them).
std::string ParseSecretKey(std::string_view text, const TPasswordSource &password, TSecretKey &key);

// Reads the secret key file `path` as ParseSecretKey does. No failure; or not_found, permission
// or file when it cannot be read, refused_input when it is too large or no key it can use.
TFailure ReadSecretKeyFile(const std::string &path, const TPasswordSource &password, TSecretKey &key);

} // namespace morlith
