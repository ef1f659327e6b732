// SPDX-License-Identifier: MIT
#include "SecretKey.h"

#include "FileStream.h"

#include <sodium.h>

#include <cstring>

namespace morlith {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";

// The layout of the decoded key line.
constexpr size_t kSaltBytes = 32;
constexpr size_t kKeyIdOffset = 2 + 2 + 2 + kSaltBytes + 8 + 8;
constexpr size_t kEncryptedBytes = 8 + 64 + 32;
constexpr size_t kKeyLineBytes = kKeyIdOffset + kEncryptedBytes;
// A key file may not make the tool spend more than this on a password: twice what minisign
// asks (2^25 operations, 1 GiB).
constexpr uint64_t kMaxScryptOps = 2ull << 25;
constexpr uint64_t kMaxScryptMemory = 2ull << 30;

uint64_t LittleEndian64(const uint8_t *bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

// Wipes a buffer when it goes out of scope.
template <size_t N>
struct TWiped {
    std::array<uint8_t, N> Bytes{};
    ~TWiped() { sodium_memzero(Bytes.data(), Bytes.size()); }
};

} // namespace

TSecretKey::~TSecretKey() { sodium_memzero(Key.data(), Key.size()); }

std::string ParseSecretKey(std::string_view text, const TPasswordSource &password, TSecretKey &key)
{
    if (!SodiumReady())
        return "the signature library cannot start";
    const size_t firstEnd = text.find('\n');
    if (text.substr(0, kUntrustedPrefix.size()) != kUntrustedPrefix || firstEnd == std::string_view::npos)
        return "a secret key is a line starting with \"untrusted comment: \" and a base64 line";
    std::string_view encoded = text.substr(firstEnd + 1);
    while (!encoded.empty() && (encoded.back() == '\n' || encoded.back() == '\r' || encoded.back() == ' '))
        encoded.remove_suffix(1);
    TWiped<kKeyLineBytes> line;
    uint8_t *bytes = line.Bytes.data();
    if (!DecodeBase64Exactly(encoded, bytes, kKeyLineBytes))
        return "the key line is not base64 of " + std::to_string(kKeyLineBytes) + " bytes";
    if (std::memcmp(bytes, "Ed", 2) != 0)
        return "unsupported key algorithm (an Ed25519 key says \"Ed\")";
    if (std::memcmp(bytes + 4, "B2", 2) != 0)
        return "unsupported checksum algorithm (minisign's says \"B2\")";
    const bool encrypted = std::memcmp(bytes + 2, "Sc", 2) == 0;
    if (!encrypted && (bytes[2] != 0 || bytes[3] != 0))
        return "unsupported key derivation (\"Sc\" for a key protected by a password, none for one without)";
    uint8_t *secret = bytes + kKeyIdOffset;
    uint8_t *checksum = secret + 8 + 64;
    if (encrypted) {
        const uint8_t *salt = bytes + 6;
        const uint64_t ops = LittleEndian64(salt + kSaltBytes);
        const uint64_t memory = LittleEndian64(salt + kSaltBytes + 8);
        if (ops > kMaxScryptOps || memory > kMaxScryptMemory)
            return "its password derivation asks for more than " + std::to_string(kMaxScryptOps) + " operations or " +
                   std::to_string(kMaxScryptMemory >> 20) + " MiB";
        if (!password)
            return "it is protected by a password and none can be asked for";
        const std::string given = password();
        TWiped<kEncryptedBytes> stream;
        if (crypto_pwhash_scryptsalsa208sha256(stream.Bytes.data(), stream.Bytes.size(), given.data(), given.size(),
                                               salt, ops, size_t(memory)) != 0)
            return "the key cannot be derived from the password (out of memory?)";
        for (size_t i = 0; i < kEncryptedBytes; ++i)
            secret[i] ^= stream.Bytes[i];
    }
    // minisign -G -W leaves the checksum of a key without password zero; any other is checked.
    const bool noChecksum = !encrypted && sodium_is_zero(checksum, 32);
    if (!noChecksum) {
        TWiped<32> computed;
        crypto_generichash_state state;
        crypto_generichash_init(&state, nullptr, 0, computed.Bytes.size());
        crypto_generichash_update(&state, bytes, 2);
        crypto_generichash_update(&state, secret, 8 + 64);
        crypto_generichash_final(&state, computed.Bytes.data(), computed.Bytes.size());
        if (sodium_memcmp(computed.Bytes.data(), checksum, 32) != 0)
            return encrypted ? "wrong password" : "damaged: its checksum does not match";
    }
    // The second half of an Ed25519 secret key is its public key, which the first half makes.
    TWiped<64> remade;
    std::array<uint8_t, 32> publicKey{};
    crypto_sign_seed_keypair(publicKey.data(), remade.Bytes.data(), secret + 8);
    if (std::memcmp(publicKey.data(), secret + 8 + 32, 32) != 0)
        return "damaged: its public half does not match its secret half";
    std::memcpy(key.KeyId.data(), secret, 8);
    std::memcpy(key.Key.data(), secret + 8, 64);
    return {};
}

TFailure ReadSecretKeyFile(const std::string &path, const TPasswordSource &password, TSecretKey &key)
{
    std::string text;
    TFailure failure = ReadSmallFile(path, "secret key", kMaxKeyFileBytes, text);
    const std::string problem = failure.Failed() ? std::string() : ParseSecretKey(text, password, key);
    sodium_memzero(text.data(), text.size());
    if (!problem.empty()) {
        failure = MakeFailure(TFailureKind::fkRefusedInput, "the secret key " + path + " cannot be used: " + problem);
        failure.Path = path;
    }
    return failure.During("reading the secret key");
}

} // namespace morlith
