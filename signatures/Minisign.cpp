// SPDX-License-Identifier: MIT
#include "Minisign.h"

#include "FileStream.h"

#include <sodium.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace morlith {
namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
// Algorithm, key id and key or signature, as the base64 lines hold them.
constexpr size_t kPublicKeyBytes = 2 + 8 + 32;
constexpr size_t kSignatureLineBytes = 2 + 8 + 64;

// The lines of `text` without their line ends (LF or CR LF); a last empty line is dropped.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimmedBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The algorithm tag of a decoded line, quoted for messages with anything unprintable escaped.
std::string QuotedTag(const uint8_t *tag)
{
    std::string quoted = "\"";
    for (int i = 0; i < 2; ++i) {
        if (tag[i] >= 0x20 && tag[i] < 0x7f) {
            quoted += char(tag[i]);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", tag[i]);
            quoted += escaped;
        }
    }
    return quoted + "\"";
}

} // namespace

bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::string KeyIdText(const TKeyId &id)
{
    uint64_t value = 0;
    for (size_t i = id.size(); i-- > 0;)
        value = (value << 8) | id[i];
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

TPrehash PrehashOf(const uint8_t *data, size_t size)
{
    TPrehash hash{};
    crypto_generichash(hash.data(), hash.size(), data, size, nullptr, 0);
    return hash;
}

TFailure PrehashFile(const std::string &path, const std::string &what, TPrehash &hash)
{
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, hash.size());
    TFailure failure = StreamFile(path, what, UINT64_MAX, [&](const uint8_t *data, size_t size) {
        crypto_generichash_update(&state, data, size);
    });
    crypto_generichash_final(&state, hash.data(), hash.size());
    return failure;
}

bool DecodeBase64Exactly(std::string_view text, uint8_t *out, size_t size)
{
    if (!SodiumReady())
        return false;
    size_t decoded = 0;
    const char *end = nullptr;
    if (sodium_base642bin(out, size, text.data(), text.size(), nullptr, &decoded, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    return decoded == size && end == text.data() + text.size();
}

std::string EncodeBase64(const uint8_t *data, size_t size)
{
    std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), data, size, sodium_base64_VARIANT_ORIGINAL);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string ParsePublicKey(std::string_view text, TPublicKey &key)
{
    const std::vector<std::string_view> lines = Lines(text);
    std::string_view encoded;
    if (lines.size() == 1) {
        encoded = lines[0];
    } else if (lines.size() == 2 && StartsWith(lines[0], kUntrustedPrefix)) {
        encoded = lines[1];
    } else {
        return "a public key is a comment line starting with \"untrusted comment: \" and a base64 line, or the "
               "base64 line alone";
    }
    uint8_t bytes[kPublicKeyBytes];
    if (!DecodeBase64Exactly(TrimmedBlanks(encoded), bytes, sizeof bytes))
        return "the key line is not base64 of " + std::to_string(kPublicKeyBytes) + " bytes";
    if (bytes[0] != 'E' || bytes[1] != 'd')
        return "unsupported key algorithm " + QuotedTag(bytes) + " (an Ed25519 key says \"Ed\")";
    std::memcpy(key.KeyId.data(), bytes + 2, key.KeyId.size());
    std::memcpy(key.Key.data(), bytes + 2 + key.KeyId.size(), key.Key.size());
    return {};
}

std::string ParseSignature(std::string_view text, TSignature &signature)
{
    std::vector<std::string_view> lines = Lines(text);
    while (lines.size() > 4 && lines.back().empty())
        lines.pop_back();
    if (lines.size() != 4)
        return "a signature has 4 lines, this one " + std::to_string(lines.size());
    if (!StartsWith(lines[0], kUntrustedPrefix))
        return "line 1 does not start with \"untrusted comment: \"";
    uint8_t bytes[kSignatureLineBytes];
    if (!DecodeBase64Exactly(TrimmedBlanks(lines[1]), bytes, sizeof bytes))
        return "line 2 is not base64 of " + std::to_string(kSignatureLineBytes) + " bytes";
    if (bytes[0] == 'E' && bytes[1] == 'd')
        signature.Prehashed = false;
    else if (bytes[0] == 'E' && bytes[1] == 'D')
        signature.Prehashed = true;
    else
        return "unsupported signature algorithm " + QuotedTag(bytes) + " (\"Ed\" or \"ED\")";
    if (!StartsWith(lines[2], kTrustedPrefix))
        return "line 3 does not start with \"trusted comment: \"";
    if (!DecodeBase64Exactly(TrimmedBlanks(lines[3]), signature.GlobalSignature.data(), signature.GlobalSignature.size()))
        return "line 4 is not base64 of " + std::to_string(signature.GlobalSignature.size()) + " bytes";
    std::memcpy(signature.KeyId.data(), bytes + 2, signature.KeyId.size());
    std::memcpy(signature.FileSignature.data(), bytes + 2 + signature.KeyId.size(), signature.FileSignature.size());
    signature.UntrustedComment = std::string(lines[0].substr(kUntrustedPrefix.size()));
    signature.TrustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
    return {};
}

std::string SignatureFileText(const TSignature &signature)
{
    uint8_t bytes[kSignatureLineBytes] = {'E', uint8_t(signature.Prehashed ? 'D' : 'd')};
    std::memcpy(bytes + 2, signature.KeyId.data(), signature.KeyId.size());
    std::memcpy(bytes + 2 + signature.KeyId.size(), signature.FileSignature.data(), signature.FileSignature.size());
    return std::string(kUntrustedPrefix) + signature.UntrustedComment + "\n" + EncodeBase64(bytes, sizeof bytes) +
           "\n" + std::string(kTrustedPrefix) + signature.TrustedComment + "\n" +
           EncodeBase64(signature.GlobalSignature.data(), signature.GlobalSignature.size()) + "\n";
}

std::string GlobalSignedBytes(const TSignature &signature)
{
    return std::string(reinterpret_cast<const char *>(signature.FileSignature.data()), signature.FileSignature.size()) +
           signature.TrustedComment;
}

} // namespace morlith
