// SPDX-License-Identifier: MIT
#include "PackageAcceptance.h"

#include "ComPortProgrammator.h"
#include "Crc16.h"
#include "MorlithFileConverter.h"
#include "NumberText.h"

#include <algorithm>

namespace morlith {
namespace {
// The image length is a 16-bit word of the header.
constexpr size_t kMaxImageBytes = UINT16_MAX;

TFailure Refused(const std::string &Detail, const std::string &Step)
{
    return MakeFailure(TFailureKind::fkRefusedInput, Detail).During(Step);
}
} // namespace

std::array<uint16_t, 4> HeaderWords(const TByteArray &Header)
{
    std::array<uint16_t, 4> words{};
    for (size_t k = 0; k < words.size() && 2 * k + 1 < Header.size(); ++k)
        words[k] = uint16_t(Header[2 * k] << 8 | Header[2 * k + 1]);
    return words;
}

TFailure LoadPackageText(TMorlithFileConverter &Converter, const std::string &Content, const std::string &Name)
{
    const std::string step = "loading the package";
    Converter.LoadFromText(Content, Name);
    // A package that did not load must not be mistaken for the one loaded before it.
    if (!Converter.LastLoadSucceeded())
        return Refused("cannot load package " + Name + ": " + Converter.Serializer().LastError(), step);
    if (!Converter.Decode())
        return Refused("package " + Name + " does not decode: " + Converter.LastDecodeError(), step);
    return TFailure{};
}

uint16_t PlainImageCrc(const TByteArray &KeyedImage, uint8_t Key)
{
    uint16_t crc = 0xFFFF;
    uint8_t block[256];
    for (size_t offset = 0; offset < KeyedImage.size(); offset += sizeof block) {
        const size_t n = std::min(sizeof block, KeyedImage.size() - offset);
        for (size_t i = 0; i < n; ++i)
            block[i] = uint8_t(KeyedImage[offset + i] - Key);
        crc = CRC16Continue(crc, block, int64_t(n));
    }
    return crc;
}

TFailure PackageRefusal(const TByteArray &Header, const TByteArray &KeyedImage)
{
    const std::string step = "checking the package";
    if (Header.empty())
        return Refused("the package has no header: its Profile is missing or empty", step);
    if (Header.size() != kHeaderBytes)
        return Refused("the header is " + std::to_string(Header.size()) + " bytes, not 8", step);
    const std::array<uint16_t, 4> words = HeaderWords(Header);
    if (CRC16(Header.data(), int64_t(kHeaderBytes)) != 0)
        return Refused("the header CRC " + Hex16(words[3]) + " does not match its first six bytes", step);
    if (KeyedImage.size() > kMaxImageBytes)
        return Refused("the image is " + GroupThousands(KeyedImage.size()) + " bytes, more than " +
                           GroupThousands(kMaxImageBytes),
                       step);
    if (KeyedImage.size() != words[0])
        return Refused("the image is " + GroupThousands(KeyedImage.size()) + " bytes, the header says " +
                           GroupThousands(words[0]),
                       step);
    const uint16_t crc = PlainImageCrc(KeyedImage, ImageKey(Header.data()));
    if (crc != words[1])
        return Refused("the image CRC " + Hex16(crc) + " differs from the header's " + Hex16(words[1]), step);
    return TFailure{};
}

} // namespace morlith
