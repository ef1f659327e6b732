// SPDX-License-Identifier: MIT
// SHA-256 against the published test vectors, fed whole and in awkward pieces.

#include "Sha256.h"

#include <gtest/gtest.h>

#include <string>

using namespace morlith;

namespace {

std::string Hex(const std::string &text) { return Sha256Hex(text.data(), text.size()); }

TEST(Sha256, GivesThePublishedDigests)
{
    EXPECT_EQ(Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesAcrossBlockEdgesGiveTheSameDigestAsTheWhole)
{
    // 55, 56 and 64 bytes sit at the edges of the padding; pieces of 1, 7 and 63 bytes straddle
    // the 64-byte blocks.
    for (const size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 1000u}) {
        std::string text(length, '\0');
        for (size_t i = 0; i < length; ++i)
            text[i] = char(i * 31 + 7);
        for (const size_t piece : {1u, 7u, 63u}) {
            TSha256 hash;
            for (size_t at = 0; at < length; at += piece)
                hash.Update(text.data() + at, std::min(piece, length - at));
            EXPECT_EQ(hash.FinishHex(), Hex(text)) << length << " bytes in pieces of " << piece;
        }
    }
}

} // namespace
