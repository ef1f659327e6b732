// SPDX-License-Identifier: MIT
#include "TrustedKeys.h"

#include "FileStream.h"

#include <sodium.h>

#include <algorithm>
#include <cerrno>

namespace morlith {
namespace {

bool Ed25519Holds(const TEd25519Signature &signature, const uint8_t *message, size_t size, const TPublicKey &key)
{
    return crypto_sign_verify_detached(signature.data(), message, size, key.Key.data()) == 0;
}

TSignatureCheck Refused(TSignatureCheck check, TSignatureVerdict verdict, std::string detail, const std::string &path)
{
    check.Verdict = verdict;
    check.Failure = MakeFailure(TFailureKind::fkRefusedInput, std::move(detail));
    check.Failure.Path = path;
    check.Failure.During("checking the signature of " + path);
    return check;
}

TSignatureCheck Unreadable(TSignatureCheck check, TFailure failure, const std::string &path)
{
    check.Verdict = TSignatureVerdict::svUnreadable;
    check.Failure = std::move(failure);
    check.Failure.Step.clear();
    check.Failure.During("checking the signature of " + path);
    return check;
}

std::string Joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words)
        text += (text.empty() ? "" : ", ") + word;
    return text;
}

} // namespace

std::string SignaturePathFor(const std::string &path) { return path + ".minisig"; }

TFailure TTrustedKeys::AddKeyFile(const std::string &path)
{
    std::string text;
    TFailure failure = ReadSmallFile(path, "public key", kMaxKeyFileBytes, text);
    if (failure.Failed())
        return failure.During("reading the trusted keys");
    return AddKeyText(text, path);
}

TFailure TTrustedKeys::AddKeyText(std::string_view text, const std::string &source)
{
    const auto refused = [&](const std::string &detail) {
        TFailure failure = MakeFailure(TFailureKind::fkRefusedInput, detail);
        failure.Path = source;
        return failure.During("reading the trusted keys");
    };
    if (!SodiumReady())
        return refused("the signature library cannot start");
    TPublicKey key;
    const std::string problem = ParsePublicKey(text, key);
    if (!problem.empty())
        return refused("malformed public key " + source + ": " + problem);
    for (const TPublicKey &known : FKeys) {
        if (known.KeyId != key.KeyId)
            continue;
        if (known.Key == key.Key)
            return TFailure{};
        // A signature names its key by id alone: two keys of one id would make that ambiguous.
        return refused("the public key " + source + " has the key id " + KeyIdText(key.KeyId) +
                       " of another trusted key");
    }
    FKeys.push_back(key);
    return TFailure{};
}

std::vector<std::string> TTrustedKeys::KeyIds() const
{
    std::vector<std::string> ids;
    for (const TPublicKey &key : FKeys)
        ids.push_back(KeyIdText(key.KeyId));
    return ids;
}

template <typename TVerifyFile>
TSignatureCheck TTrustedKeys::CheckWith(const std::string &path, TVerifyFile verifyFile) const
{
    const std::string signaturePath = SignaturePathFor(path);
    TSignatureCheck check;
    std::string text;
    TFailure read = ReadSmallFile(signaturePath, "signature", kMaxSignatureFileBytes, text);
    if (read.Failed() && read.OsError == ENOENT)
        return Refused(check, TSignatureVerdict::svNoSignature, "no signature: " + signaturePath + " is missing", path);
    if (read.Failed() && read.Kind == TFailureKind::fkRefusedInput)
        return Refused(check, TSignatureVerdict::svMalformed, "malformed signature: " + read.Detail, path);
    if (read.Failed())
        return Unreadable(check, read, path);
    if (!SodiumReady())
        return Refused(check, TSignatureVerdict::svMalformed, "the signature library cannot start", path);

    TSignature signature;
    const std::string problem = ParseSignature(text, signature);
    if (!problem.empty())
        return Refused(check, TSignatureVerdict::svMalformed, "malformed signature " + signaturePath + ": " + problem,
                       path);
    check.KeyId = KeyIdText(signature.KeyId);
    const auto key = std::find_if(FKeys.begin(), FKeys.end(),
                                  [&](const TPublicKey &trusted) { return trusted.KeyId == signature.KeyId; });
    if (key == FKeys.end())
        return Refused(check, TSignatureVerdict::svUntrustedKey,
                       "not signed by a trusted key: " + signaturePath + " is by key " + check.KeyId +
                           (FKeys.empty() ? ", and no key is trusted" : "; trusted: " + Joined(KeyIds())),
                       path);
    const std::string global = GlobalSignedBytes(signature);
    if (!Ed25519Holds(signature.GlobalSignature, reinterpret_cast<const uint8_t *>(global.data()), global.size(), *key))
        return Refused(check, TSignatureVerdict::svAltered,
                       "altered: the trusted comment of " + signaturePath + " does not match its signature by key " +
                           check.KeyId,
                       path);
    TFailure fileFailure;
    const bool holds = verifyFile(signature, *key, fileFailure);
    if (fileFailure.Failed())
        return Unreadable(check, fileFailure, path);
    if (!holds)
        return Refused(check, TSignatureVerdict::svAltered,
                       "altered: " + path + " does not match its signature by key " + check.KeyId, path);
    check.TrustedComment = signature.TrustedComment;
    return check;
}

TSignatureCheck TTrustedKeys::CheckBytes(const std::string &path, const uint8_t *data, size_t size) const
{
    return CheckWith(path, [&](const TSignature &signature, const TPublicKey &key, TFailure &) {
        if (!signature.Prehashed)
            return Ed25519Holds(signature.FileSignature, data, size, key);
        const TPrehash hash = PrehashOf(data, size);
        return Ed25519Holds(signature.FileSignature, hash.data(), hash.size(), key);
    });
}

TSignatureCheck TTrustedKeys::Check(const std::string &path) const
{
    return CheckWith(path, [&](const TSignature &signature, const TPublicKey &key, TFailure &failure) {
        if (!signature.Prehashed) {
            std::string content;
            failure = ReadSmallFile(path, "signed file", kMaxPlainSignedBytes, content);
            if (failure.Kind == TFailureKind::fkRefusedInput)
                failure.Detail += " (sign it in the prehashed form)";
            return !failure.Failed() &&
                   Ed25519Holds(signature.FileSignature, reinterpret_cast<const uint8_t *>(content.data()),
                                content.size(), key);
        }
        TPrehash hash{};
        failure = PrehashFile(path, "signed file", hash);
        return !failure.Failed() && Ed25519Holds(signature.FileSignature, hash.data(), hash.size(), key);
    });
}

} // namespace morlith
