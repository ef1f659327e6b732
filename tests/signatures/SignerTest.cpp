// SPDX-License-Identifier: MIT
// The signer writes what minisign itself accepts, from the secret keys minisign makes (with and
// without a password), and refuses what it cannot sign with, leaving any signature in place.

#include "MinisignTool.h"
#include "Signer.h"
#include "TrustedKeys.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <regex>

namespace morlith {
namespace {

using test::ReadLines;
using test::ReadText;
using test::TScratchFolder;
using test::WriteText;

class SignerTest : public ::testing::Test {
protected:
    TScratchFolder Folder;
    std::string Package = Folder.File("app.mpk");
    std::string Signature = Package + ".minisig";

    void SetUp() override { WriteText(Package, std::string(65000, 'K')); }

    // True when the signature beside the package is in the prehashed form and our check takes it.
    bool CheckedByUs(const test::TToolKey &key, const std::string &trustedComment)
    {
        TTrustedKeys keys;
        EXPECT_FALSE(keys.AddKeyFile(key.PublicPath).Failed());
        const TSignatureCheck check = keys.Check(Package);
        TSignature signature;
        return ParseSignature(ReadText(Signature), signature).empty() && signature.Prehashed && check.Accepted() &&
               check.TrustedComment == trustedComment && check.KeyId == key.KeyId;
    }
};

TEST_F(SignerTest, WritesWhatMinisignVerifiesInPlaceOfAnOldSignature)
{
    const test::TToolKey key = test::MakeToolKey(Folder, "site");
    WriteText(Signature, "an old signature\n");
    const TSignOutcome outcome = SignWithKeyFile(key.SecretPath, Package, nullptr);
    ASSERT_FALSE(outcome.Failure.Failed()) << outcome.Failure;
    EXPECT_EQ(outcome.SignaturePath, Signature);
    EXPECT_EQ(outcome.KeyId, key.KeyId);
    EXPECT_TRUE(std::regex_match(outcome.TrustedComment, std::regex("timestamp:[0-9]+\tfile:app\\.mpk\thashed")))
        << outcome.TrustedComment;
    EXPECT_EQ(ReadLines(Signature).at(0), "untrusted comment: signature from minisign secret key");
    EXPECT_TRUE(test::ToolVerifies(key, Package));
    EXPECT_TRUE(CheckedByUs(key, outcome.TrustedComment));
    EXPECT_TRUE(test::TemporaryFilesIn(Folder.Path()).empty());
}

TEST_F(SignerTest, UsesAPasswordProtectedKeyOnlyWithItsPassword)
{
    const test::TToolKey key = test::MakeToolKey(Folder, "protected", "correct horse");
    int asked = 0;
    const TSignOutcome wrong = SignWithKeyFile(key.SecretPath, Package, [&] { return ++asked, "wrong horse"; });
    EXPECT_EQ(wrong.Failure.Kind, TFailureKind::fkRefusedInput) << wrong.Failure;
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(test::Exists(Signature));
    EXPECT_EQ(SignWithKeyFile(key.SecretPath, Package, nullptr).Failure.Kind, TFailureKind::fkRefusedInput);

    const TSignOutcome right = SignWithKeyFile(key.SecretPath, Package, [] { return "correct horse"; });
    ASSERT_FALSE(right.Failure.Failed()) << right.Failure;
    EXPECT_EQ(right.KeyId, key.KeyId);
    EXPECT_TRUE(test::ToolVerifies(key, Package));
    EXPECT_TRUE(CheckedByUs(key, right.TrustedComment));
}

TEST_F(SignerTest, RefusesWhatItCannotSignWithAndKeepsTheOldSignature)
{
    const test::TToolKey key = test::MakeToolKey(Folder, "site");
    const std::vector<std::string> lines = ReadLines(key.SecretPath);
    // Offsets in the decoded key line: the algorithms and scrypt parameters, the key id, the seed.
    const auto damaged = [&](size_t offset) {
        std::array<uint8_t, 158> bytes{};
        EXPECT_TRUE(DecodeBase64Exactly(lines.at(1), bytes.data(), bytes.size()));
        bytes[offset] ^= 0x01;
        return lines.at(0) + "\n" + EncodeBase64(bytes.data(), bytes.size()) + "\n";
    };
    const struct {
        const char *Name;
        std::string KeyText; // written as the secret key file; nothing written when empty
        std::string File; // the file to sign
        TFailureKind Kind;
    } cases[] = {
        {"MissingKey", "", Package, TFailureKind::fkNotFound},
        {"PublicKeyGivenAsSecretKey", ReadText(key.PublicPath), Package, TFailureKind::fkRefusedInput},
        {"DamagedSeed", damaged(62 + 3), Package, TFailureKind::fkRefusedInput},
        {"DamagedPublicHalf", damaged(94 + 3), Package, TFailureKind::fkRefusedInput},
        {"UnknownKeyDerivation", damaged(2), Package, TFailureKind::fkRefusedInput},
        {"TruncatedKey", lines.at(0) + "\n" + lines.at(1).substr(0, 100) + "\n", Package, TFailureKind::fkRefusedInput},
        {"MissingFile", ReadText(key.SecretPath), Folder.File("missing.mpk"), TFailureKind::fkNotFound},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.Name);
        const std::string keyPath = Folder.File("given.key");
        std::filesystem::remove(keyPath);
        if (!each.KeyText.empty())
            WriteText(keyPath, each.KeyText);
        WriteText(Signature, "the old signature\n");
        const TSignOutcome outcome = SignWithKeyFile(keyPath, each.File, nullptr);
        EXPECT_EQ(outcome.Failure.Kind, each.Kind) << outcome.Failure;
        EXPECT_TRUE(outcome.SignaturePath.empty());
        EXPECT_EQ(ReadText(Signature), "the old signature\n");
        EXPECT_FALSE(test::Exists(Folder.File("missing.mpk.minisig")));
    }
}

TEST_F(SignerTest, TrustedCommentStaysOneLine)
{
    EXPECT_EQ(DefaultTrustedComment("/lot/a\nb\x1b.mpk", 42), "timestamp:42\tfile:a?b?.mpk\thashed");
    EXPECT_EQ(DefaultTrustedComment("C:\\fw\\app.mpk", 7), "timestamp:7\tfile:app.mpk\thashed");
    const test::TToolKey key = test::MakeToolKey(Folder, "site");
    TSecretKey secret;
    ASSERT_FALSE(ReadSecretKeyFile(key.SecretPath, nullptr, secret).Failed());
    EXPECT_EQ(SignFile(secret, Package, "two\nlines").Kind, TFailureKind::fkRefusedInput);
    EXPECT_EQ(SignFile(secret, Package, std::string(9000, 'c')).Kind, TFailureKind::fkRefusedInput);
    EXPECT_FALSE(test::Exists(Signature));
    ASSERT_FALSE(SignFile(secret, Package, "lot 7").Failed());
    EXPECT_TRUE(test::ToolVerifies(key, Package));
}

} // namespace
} // namespace morlith
