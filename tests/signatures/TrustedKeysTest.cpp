// SPDX-License-Identifier: MIT
// The trusted keys: minisign's key files and bare keys are taken, anything else is refused with
// what is wrong, and key ids read as minisign prints them.

#include "MinisignTool.h"
#include "TrustedKeys.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace morlith {
namespace {

using test::ReadLines;
using test::TScratchFolder;
using test::WriteText;

TEST(KeyIdTextTest, ReadsTheIdAsALittleEndianNumberInUpperCaseWithoutLeadingZeros)
{
    const struct {
        TKeyId Id;
        const char *Text;
    } cases[] = {
        {{0x08, 0x4E, 0x7C, 0x8C, 0x01, 0xAD, 0x33, 0x41}, "4133AD018C7C4E08"},
        {{0x2D, 0xBE, 0x08, 0x0D, 0xE9, 0x71, 0x69, 0x0A}, "A6971E90D08BE2D"},
        {{0x01, 0, 0, 0, 0, 0, 0, 0}, "1"},
        {{0, 0, 0, 0, 0, 0, 0, 0x80}, "8000000000000000"},
    };
    for (const auto &each : cases)
        EXPECT_EQ(KeyIdText(each.Id), each.Text);
}

TEST(TrustedKeysTest, TakesKeyFilesAndBareKeysWithTheIdMinisignNames)
{
    TScratchFolder folder;
    const test::TToolKey first = test::MakeToolKey(folder, "first");
    const test::TToolKey second = test::MakeToolKey(folder, "second");
    TTrustedKeys keys;
    ASSERT_FALSE(keys.AddKeyFile(first.PublicPath).Failed());
    ASSERT_FALSE(keys.AddKeyText(ReadLines(second.PublicPath).at(1), "the second key").Failed());
    // The same key again is no second key.
    ASSERT_FALSE(keys.AddKeyFile(first.PublicPath).Failed());
    EXPECT_EQ(keys.KeyIds(), (std::vector<std::string>{first.KeyId, second.KeyId}));
}

TEST(TrustedKeysTest, RefusesWhatIsNoPublicKey)
{
    TScratchFolder folder;
    const test::TToolKey key = test::MakeToolKey(folder, "key");
    const std::vector<std::string> lines = ReadLines(key.PublicPath);
    const std::string comment = lines.at(0) + "\n";
    std::array<uint8_t, 42> bytes{};
    ASSERT_TRUE(DecodeBase64Exactly(lines.at(1), bytes.data(), bytes.size()));
    const auto withBytes = [&](auto edit) {
        std::array<uint8_t, 42> edited = bytes;
        edit(edited);
        return comment + EncodeBase64(edited.data(), edited.size()) + "\n";
    };
    // Another key of the same id: a signature would not say which of the two made it.
    std::string sameIdOtherKey = withBytes([](std::array<uint8_t, 42> &b) { b[41] ^= 1; });
    const struct {
        const char *Name;
        std::string Text; // written as the key file
        TFailureKind Kind;
    } cases[] = {
        {"Empty", "", TFailureKind::fkRefusedInput},
        {"TruncatedKey", comment + lines.at(1).substr(0, 40) + "\n", TFailureKind::fkRefusedInput},
        {"LongerKey", comment + lines.at(1) + "AAAA\n", TFailureKind::fkRefusedInput},
        {"NotBase64", comment + std::string(56, '*') + "\n", TFailureKind::fkRefusedInput},
        {"WrongAlgorithm", withBytes([](std::array<uint8_t, 42> &b) { b[1] = 'D'; }), TFailureKind::fkRefusedInput},
        {"CommentWithoutItsPrefix", "minisign public key\n" + lines.at(1) + "\n", TFailureKind::fkRefusedInput},
        {"ThreeLines", comment + lines.at(1) + "\n" + lines.at(1) + "\n", TFailureKind::fkRefusedInput},
        {"SecretKeyFile", test::ReadText(key.SecretPath), TFailureKind::fkRefusedInput},
        {"Oversized", lines.at(0) + std::string(kMaxKeyFileBytes, ' ') + "\n" + lines.at(1) + "\n",
         TFailureKind::fkRefusedInput},
        {"SameIdAsATrustedKey", sameIdOtherKey, TFailureKind::fkRefusedInput},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.Name);
        const std::string path = folder.File("bad.pub");
        WriteText(path, each.Text);
        TTrustedKeys keys;
        ASSERT_FALSE(keys.AddKeyFile(key.PublicPath).Failed());
        const TFailure failure = keys.AddKeyFile(path);
        EXPECT_EQ(failure.Kind, each.Kind) << failure;
        EXPECT_EQ(failure.Path, path);
        EXPECT_EQ(keys.KeyIds(), std::vector<std::string>{key.KeyId});
    }
    TTrustedKeys keys;
    EXPECT_EQ(keys.AddKeyFile(folder.File("missing.pub")).Kind, TFailureKind::fkNotFound);
    EXPECT_TRUE(keys.Empty());
}

} // namespace
} // namespace morlith
