// SPDX-License-Identifier: MIT
#include "PackageBuilder.h"

#include "ComPortProgrammator.h"
#include "Crc16.h"
#include "MorlithFileConverter.h"

#include <system_error>

namespace morlith {

TPackageBytes BuildPackageBytes(const std::vector<uint8_t> &plainImage, uint16_t dsegLength)
{
    TPackageBytes package;
    const uint16_t length = uint16_t(plainImage.size());
    const uint16_t imageCrc = CRC16(plainImage.data(), int64_t(plainImage.size()));
    package.Header = {uint8_t(length >> 8),   uint8_t(length), uint8_t(imageCrc >> 8),
                      uint8_t(imageCrc),      uint8_t(dsegLength >> 8), uint8_t(dsegLength)};
    const uint16_t headerCrc = CRC16(package.Header.data(), 6);
    package.Header.push_back(uint8_t(headerCrc >> 8));
    package.Header.push_back(uint8_t(headerCrc));
    package.Key = ImageKey(package.Header.data());
    package.KeyedImage.reserve(plainImage.size());
    for (uint8_t byte : plainImage)
        package.KeyedImage.push_back(uint8_t(byte + package.Key));
    return package;
}

bool SavePackageFile(const std::string &path, const std::vector<uint8_t> &header,
                     const std::vector<uint8_t> &keyedImage, size_t pieceBytes, std::string *why,
                     TExistingFile existing)
{
    TMorlithFileConverter converter;
    converter.FillFromImage(header, keyedImage, pieceBytes);
    try {
        const TFailure failure = ReplaceFileAtomically(path, converter.Serializer().BuildDocument(), existing);
        if (!failure.Failed())
            return true;
        if (why)
            *why = failure.OsText.empty() ? failure.Detail : failure.OsText;
    } catch (const std::exception &error) {
        if (why)
            *why = error.what();
    }
    return false;
}

} // namespace morlith
