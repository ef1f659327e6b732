// SPDX-License-Identifier: MIT
// A file is accepted only with a signature by a trusted key over the file and the trusted comment,
// in both of minisign's forms; every forgery is refused with its reason, whether the file is read
// from the disk or checked as bytes already read.

#include "MinisignTool.h"
#include "TrustedKeys.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace morlith {
namespace {

using test::EditSignatureLine;
using test::ReadBytes;
using test::ReadLines;
using test::ReplaceLine;
using test::SignWithTool;
using test::TScratchFolder;
using test::TToolKey;
using test::WriteText;

constexpr const char *kTrustedComment = "release 1.4 lot 7";

// Lengthens the untrusted comment of the signature file `path` until the file holds `size` bytes.
void PadSignatureTo(const std::string &path, size_t size)
{
    const std::string text = test::ReadText(path);
    ReplaceLine(path, 0, ReadLines(path).at(0) + std::string(size - text.size(), 'x'));
}

class SignatureCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Keys = std::make_unique<TScratchFolder>("morlith-keys-");
        Trusted = test::MakeToolKey(*Keys, "trusted");
        Other = test::MakeToolKey(*Keys, "other");
    }
    static void TearDownTestSuite() { Keys.reset(); }

    // A package of 1,000 bytes signed by the trusted key, in the plain or prehashed form.
    std::string SignedPackage(bool plain)
    {
        std::string content;
        for (int i = 0; i < 1000; ++i)
            content += char(i * 7 + 3);
        WriteText(Package, content);
        SignWithTool(Trusted, Package, plain, kTrustedComment);
        return Package;
    }

    static TTrustedKeys KeysOf(const std::vector<const TToolKey *> &keys)
    {
        TTrustedKeys trusted;
        for (const TToolKey *key : keys)
            EXPECT_FALSE(trusted.AddKeyFile(key->PublicPath).Failed()) << key->PublicPath;
        return trusted;
    }

    // The check from the disk and the check of the bytes as read, which must agree.
    static TSignatureCheck CheckBothWays(const TTrustedKeys &keys, const std::string &path)
    {
        const TSignatureCheck fromDisk = keys.Check(path);
        const std::vector<uint8_t> bytes = ReadBytes(path);
        const TSignatureCheck fromBytes = keys.CheckBytes(path, bytes.data(), bytes.size());
        EXPECT_EQ(fromDisk.Verdict, fromBytes.Verdict) << fromDisk.Failure << " / " << fromBytes.Failure;
        EXPECT_EQ(fromDisk.KeyId, fromBytes.KeyId);
        return fromDisk;
    }

    static inline std::unique_ptr<TScratchFolder> Keys;
    static inline TToolKey Trusted;
    static inline TToolKey Other;
    TScratchFolder Folder;
    std::string Package = Folder.File("app.mpk");
    std::string Signature = Package + ".minisig";
};

TEST_F(SignatureCheckTest, AcceptsBothFormsByAnyTrustedKeyWithTheirTrustedComment)
{
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain" : "prehashed");
        SignedPackage(plain);
        // The signer is the second trusted key: every key is looked at, not only the first.
        const TSignatureCheck check = CheckBothWays(KeysOf({&Other, &Trusted}), Package);
        ASSERT_TRUE(check.Accepted()) << check.Failure;
        EXPECT_FALSE(check.Failure.Failed());
        EXPECT_EQ(check.KeyId, Trusted.KeyId);
        EXPECT_EQ(check.TrustedComment, kTrustedComment);
    }
}

TEST_F(SignatureCheckTest, AcceptsWhatOnlyTheUntrustedPartsOfTheFileChange)
{
    struct TEdit {
        const char *Name;
        std::function<void(const std::string &)> Apply;
    };
    const TEdit edits[] = {
        {"ChangedUntrustedComment", [](const std::string &sig) { ReplaceLine(sig, 0, "untrusted comment: anything"); }},
        {"CrLfLineEnds",
         [](const std::string &sig) {
             std::string text;
             for (const std::string &line : ReadLines(sig))
                 text += line + "\r\n";
             WriteText(sig, text);
         }},
        {"SignatureAtTheSizeLimit", [](const std::string &sig) { PadSignatureTo(sig, kMaxSignatureFileBytes); }},
        {"NoLineEndAfterTheLastLine",
         [](const std::string &sig) {
             std::string text = test::ReadText(sig);
             WriteText(sig, text.substr(0, text.size() - 1));
         }},
    };
    for (const TEdit &edit : edits) {
        SCOPED_TRACE(edit.Name);
        SignedPackage(false);
        edit.Apply(Signature);
        const TSignatureCheck check = CheckBothWays(KeysOf({&Trusted}), Package);
        EXPECT_TRUE(check.Accepted()) << check.Failure;
        EXPECT_EQ(check.TrustedComment, kTrustedComment);
    }
}

// A forgery or damage, and the refusal it must get.
struct TForgery {
    const char *Name;
    bool Plain; // the form the trusted key signed in before the forgery
    std::function<void(const std::string &package, const std::string &signature)> Apply;
    TSignatureVerdict Verdict;
    TFailureKind Kind;
    const TToolKey *KeyIdFound; // the key the refusal names; nullptr: none
};

TEST_F(SignatureCheckTest, RefusesEveryForgeryWithItsReason)
{
    constexpr auto refused = TFailureKind::fkRefusedInput;
    const auto flipFileByte = [](const std::string &package, const std::string &) {
        std::string content = test::ReadText(package);
        content[500] = char(content[500] ^ 0x01);
        WriteText(package, content);
    };
    const auto changeTrustedComment = [](const std::string &, const std::string &sig) {
        ReplaceLine(sig, 2, "trusted comment: release 1.5 lot 7");
    };
    const auto setTag = [](char second) {
        return [second](const std::string &, const std::string &sig) {
            EditSignatureLine(sig, [second](std::array<uint8_t, 74> &bytes) { bytes[1] = uint8_t(second); });
        };
    };
    const auto setKeyId = [](const TToolKey &key) {
        return [&key](const std::string &, const std::string &sig) {
            std::array<uint8_t, 74> id{};
            const std::vector<std::string> pub = ReadLines(key.PublicPath);
            ASSERT_TRUE(DecodeBase64Exactly(pub.at(1), id.data(), 42));
            EditSignatureLine(sig, [&](std::array<uint8_t, 74> &bytes) {
                std::copy(id.begin() + 2, id.begin() + 10, bytes.begin() + 2);
            });
        };
    };
    const TForgery forgeries[] = {
        {"NoSignature", false, [](const std::string &, const std::string &sig) { std::filesystem::remove(sig); },
         TSignatureVerdict::svNoSignature, refused, nullptr},
        {"SignedByAnotherKey", false,
         [](const std::string &package, const std::string &) { SignWithTool(Other, package, false, kTrustedComment); },
         TSignatureVerdict::svUntrustedKey, refused, &Other},
        {"FlippedFileBytePrehashed", false, flipFileByte, TSignatureVerdict::svAltered, refused, &Trusted},
        {"FlippedFileBytePlain", true, flipFileByte, TSignatureVerdict::svAltered, refused, &Trusted},
        {"ChangedTrustedCommentPrehashed", false, changeTrustedComment, TSignatureVerdict::svAltered, refused, &Trusted},
        {"ChangedTrustedCommentPlain", true, changeTrustedComment, TSignatureVerdict::svAltered, refused, &Trusted},
        {"TruncatedSignature", false,
         [](const std::string &, const std::string &sig) {
             const std::string text = test::ReadText(sig);
             WriteText(sig, text.substr(0, text.size() / 2));
         },
         TSignatureVerdict::svMalformed, refused, nullptr},
        {"EmptySignature", false, [](const std::string &, const std::string &sig) { WriteText(sig, ""); },
         TSignatureVerdict::svMalformed, refused, nullptr},
        {"PlainSignatureTaggedPrehashed", true, setTag('D'), TSignatureVerdict::svAltered, refused, &Trusted},
        {"PrehashedSignatureTaggedPlain", false, setTag('d'), TSignatureVerdict::svAltered, refused, &Trusted},
        {"UnknownAlgorithm", false, setTag('x'), TSignatureVerdict::svMalformed, refused, nullptr},
        // Another key's signature given the trusted key's id: the id alone proves nothing.
        {"OtherKeysSignatureNamingTheTrustedKey", false,
         [&](const std::string &package, const std::string &sig) {
             SignWithTool(Other, package, false, kTrustedComment);
             setKeyId(Trusted)(package, sig);
         },
         TSignatureVerdict::svAltered, refused, &Trusted},
        {"TrustedSignatureNamingAnotherKey", false, setKeyId(Other), TSignatureVerdict::svUntrustedKey, refused, &Other},
        // A whole, consistent signature of another file by the trusted key, under the same comment.
        {"SignatureOfAnotherFile", false,
         [](const std::string &package, const std::string &sig) {
             WriteText(package + ".other", "another file");
             SignWithTool(Trusted, package + ".other", false, kTrustedComment, sig);
         },
         TSignatureVerdict::svAltered, refused, &Trusted},
        {"OversizedSignature", false,
         [](const std::string &, const std::string &sig) { PadSignatureTo(sig, kMaxSignatureFileBytes + 1); },
         TSignatureVerdict::svMalformed, refused, nullptr},
        {"SignatureIsAFolder", false,
         [](const std::string &, const std::string &sig) {
             std::filesystem::remove(sig);
             std::filesystem::create_directory(sig);
         },
         TSignatureVerdict::svMalformed, refused, nullptr},
        {"ExtraLineInSignature", false,
         [](const std::string &, const std::string &sig) { WriteText(sig, test::ReadText(sig) + "more\n"); },
         TSignatureVerdict::svMalformed, refused, nullptr},
    };
    for (const TForgery &forgery : forgeries) {
        SCOPED_TRACE(forgery.Name);
        SignedPackage(forgery.Plain);
        forgery.Apply(Package, Signature);
        const TSignatureCheck check = CheckBothWays(KeysOf({&Trusted}), Package);
        EXPECT_EQ(check.Verdict, forgery.Verdict) << check.Failure;
        EXPECT_EQ(check.Failure.Kind, forgery.Kind) << check.Failure;
        EXPECT_EQ(check.Failure.Path, Package);
        EXPECT_TRUE(check.TrustedComment.empty());
        EXPECT_EQ(check.KeyId, forgery.KeyIdFound ? forgery.KeyIdFound->KeyId : "");
        if (forgery.KeyIdFound) {
            EXPECT_NE(check.Failure.Detail.find(forgery.KeyIdFound->KeyId), std::string::npos) << check.Failure;
        }
        std::filesystem::remove_all(Signature);
    }
}

TEST_F(SignatureCheckTest, NoTrustedKeyRefusesEverySignature)
{
    SignedPackage(false);
    const TSignatureCheck check = TTrustedKeys().Check(Package);
    EXPECT_EQ(check.Verdict, TSignatureVerdict::svUntrustedKey);
    EXPECT_EQ(check.KeyId, Trusted.KeyId);
}

TEST_F(SignatureCheckTest, BytesAreCheckedAsGivenWhateverTheFileBecomes)
{
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain" : "prehashed");
        SignedPackage(plain);
        std::vector<uint8_t> asRead = ReadBytes(Package);
        const TTrustedKeys keys = KeysOf({&Trusted});
        // The file changes after it was read: the bytes read are still the signed ones.
        WriteText(Package, "replaced meanwhile");
        EXPECT_TRUE(keys.CheckBytes(Package, asRead.data(), asRead.size()).Accepted());
        EXPECT_EQ(keys.Check(Package).Verdict, TSignatureVerdict::svAltered);
        // And bytes that differ from the signed ones are refused, though the file was signed.
        asRead[0] ^= 0x80;
        EXPECT_EQ(keys.CheckBytes(Package, asRead.data(), asRead.size()).Verdict, TSignatureVerdict::svAltered);
    }
}

TEST_F(SignatureCheckTest, SignedFileThatCannotBeReadKeepsItsKind)
{
    SignedPackage(false);
    std::filesystem::remove(Package);
    const TSignatureCheck check = KeysOf({&Trusted}).Check(Package);
    EXPECT_EQ(check.Verdict, TSignatureVerdict::svUnreadable);
    EXPECT_EQ(check.Failure.Kind, TFailureKind::fkNotFound) << check.Failure;
    EXPECT_EQ(check.Failure.Path, Package);
}

} // namespace
} // namespace morlith
