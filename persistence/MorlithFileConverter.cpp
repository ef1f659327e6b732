// SPDX-License-Identifier: MIT
#include "MorlithFileConverter.h"

#include <algorithm>

namespace morlith {

TMorlithFileConverter::TMorlithFileConverter()
    : FSerializer(std::make_unique<TXMLOptionsSerializer>()), FStore(TXMLClass::Create<TMorlithStore>(nullptr))
{
    FSerializer->SetApplicationName(kPackageApplicationName);
    FSerializer->SetRootNodeName("config");
    FSerializer->SetVersion(1);
    FSerializer->SetXMLObject(FStore.get());
    FSerializer->SetOnAfterLoad([this](TXMLOptionsSerializer *) { FLastLoadSucceeded = true; });
}

TMorlithFileConverter::~TMorlithFileConverter()
{
    FStore.reset();
    FSerializer.reset();
}

bool TMorlithFileConverter::LoadFromFile(const std::string &Path)
{
    FLastLoadSucceeded = false;
    FSerializer->SetXMLFilePath(Path);
    FSerializer->Load();
    return true;
}

void TMorlithFileConverter::LoadFromText(const std::string &Content, const std::string &Name)
{
    FLastLoadSucceeded = false;
    FSerializer->SetXMLFilePath(Name);
    FSerializer->LoadText(Content);
}

bool TMorlithFileConverter::Decode()
{
    FLastDecodeError.clear();
    const std::string &profile = FStore->Profile();
    FHeader.resize(profile.size() / 2);
    std::string why;
    if (!HexToBytes(profile, FHeader, 0, &why)) {
        FLastDecodeError = "Profile " + why;
        return false;
    }
    return DecodePieces();
}

bool TMorlithFileConverter::DecodePieces()
{
    const TFirmwareList &pieces = FStore->FirmwareList();
    std::size_t digits = 0;
    for (int i = 0; i < pieces.Count(); ++i) {
        const std::size_t length = pieces.Items(i)->Code().size();
        if (length % 2 != 0) {
            FLastDecodeError = "piece " + std::to_string(i + 1) + ": Code has odd length " + std::to_string(length);
            return false;
        }
        digits += length;
    }
    FImage.resize(digits / 2);
    // Positions are kept in full width, so pieces beyond the first 64 KiB land where they belong;
    // such an image is refused later by its length check.
    std::size_t position = 0;
    for (int i = 0; i < pieces.Count(); ++i) {
        const std::string &code = pieces.Items(i)->Code();
        std::string why;
        if (!HexToBytes(code, FImage, position, &why)) {
            FLastDecodeError = "piece " + std::to_string(i + 1) + ": " + why;
            return false;
        }
        position += code.size() / 2;
    }
    return true;
}

void TMorlithFileConverter::FillFromImage(const TByteArray &HeaderBytes, const TByteArray &ImageBytes,
                                          std::size_t PieceBytes)
{
    FStore->SetProfile(BytesToHex(HeaderBytes));
    TFirmwareList &pieces = FStore->FirmwareList();
    pieces.Clear();
    const std::size_t step = PieceBytes == 0 ? ImageBytes.size() : PieceBytes;
    for (std::size_t start = 0; start < ImageBytes.size(); start += step) {
        const std::size_t count = std::min(step, ImageBytes.size() - start);
        pieces.Add()->SetCode(BytesToHex(ImageBytes.data() + start, count));
    }
}

bool TMorlithFileConverter::SaveToFile(const std::string &Path)
{
    FSerializer->SetXMLFilePath(Path);
    FSerializer->Save();
    return FSerializer->LastError().empty();
}

} // namespace morlith
