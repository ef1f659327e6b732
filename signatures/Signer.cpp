// SPDX-License-Identifier: MIT
#include "Signer.h"

#include "AtomicFile.h"
#include "TrustedKeys.h"

#include <sodium.h>

#include <ctime>

namespace morlith {
namespace {

// minisign reads no longer trusted comment.
constexpr size_t kMaxTrustedCommentBytes = 8192 - 32;

TFailure Refused(const std::string &detail, const std::string &path)
{
    TFailure failure = MakeFailure(TFailureKind::fkRefusedInput, detail);
    failure.Path = path;
    return failure.During("signing " + path);
}

} // namespace

std::string DefaultTrustedComment(const std::string &path, int64_t unixSeconds)
{
    std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    for (char &c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return "timestamp:" + std::to_string(unixSeconds) + "\tfile:" + name + "\thashed";
}

TFailure SignFile(const TSecretKey &key, const std::string &path, const std::string &trustedComment)
{
    if (trustedComment.find_first_of("\r\n") != std::string::npos)
        return Refused("a trusted comment is one line", path);
    if (trustedComment.size() > kMaxTrustedCommentBytes)
        return Refused("a trusted comment holds at most " + std::to_string(kMaxTrustedCommentBytes) + " bytes", path);
    if (!SodiumReady())
        return Refused("the signature library cannot start", path);
    TPrehash hash{};
    TFailure failure = PrehashFile(path, "file to sign", hash);
    if (failure.Failed())
        return failure.During("signing " + path);
    TSignature signature;
    signature.Prehashed = true;
    signature.KeyId = key.KeyId;
    signature.UntrustedComment = "signature from minisign secret key";
    signature.TrustedComment = trustedComment;
    crypto_sign_detached(signature.FileSignature.data(), nullptr, hash.data(), hash.size(), key.Key.data());
    const std::string global = GlobalSignedBytes(signature);
    crypto_sign_detached(signature.GlobalSignature.data(), nullptr, reinterpret_cast<const uint8_t *>(global.data()),
                         global.size(), key.Key.data());
    return ReplaceFileAtomically(SignaturePathFor(path), SignatureFileText(signature)).During("writing the signature");
}

TSignOutcome SignWithKeyFile(const std::string &secretKeyPath, const std::string &path, const TPasswordSource &password)
{
    TSignOutcome outcome;
    TSecretKey key;
    outcome.Failure = ReadSecretKeyFile(secretKeyPath, password, key);
    if (outcome.Failure.Failed())
        return outcome;
    outcome.KeyId = KeyIdText(key.KeyId);
    outcome.TrustedComment = DefaultTrustedComment(path, int64_t(std::time(nullptr)));
    outcome.Failure = SignFile(key, path, outcome.TrustedComment);
    if (!outcome.Failure.Failed())
        outcome.SignaturePath = SignaturePathFor(path);
    return outcome;
}

} // namespace morlith
