// SPDX-License-Identifier: MIT
#pragma once
// TMorlithFileConverter: loads a firmware package into a TMorlithStore and decodes it into the
// header and image bytes; also builds a package from bytes and saves it.

#include "HexText.h"
#include "MorlithStore.h"
#include "XMLOptionsSerializer.h"

#include <cstddef>
#include <memory>
#include <string>

namespace morlith {

// Application name carried by every package.
inline constexpr const char *kPackageApplicationName = "ORVELMorlith";

// Reads (and for tools, writes) firmware package files.
class TMorlithFileConverter {
public:
    // Creates the store and a serializer for packages bound to it.
    TMorlithFileConverter();
    // Destroys the store, then the serializer.
    ~TMorlithFileConverter();
    TMorlithFileConverter(const TMorlithFileConverter &) = delete;
    TMorlithFileConverter &operator=(const TMorlithFileConverter &) = delete;

    // Loads the package at Path into the store, which is emptied first (Profile included), so
    // nothing of an earlier package survives into the next Decode. Always returns true; whether
    // the load succeeded is LastLoadSucceeded, and why not is Serializer().LastError().
    bool LoadFromFile(const std::string &Path);
    // The same for a package already read into memory; `Name` names it in messages.
    void LoadFromText(const std::string &Content, const std::string &Name);
    // True when the last LoadFromFile read a package completely; false before any load.
    bool LastLoadSucceeded() const { return FLastLoadSucceeded; }

    // Decodes Profile into Header and the pieces, joined, into Image. False for an odd length or
    // a pair that is not two hexadecimal digits; LastDecodeError then says where.
    bool Decode();
    // Why the last Decode failed; empty after a success.
    const std::string &LastDecodeError() const { return FLastDecodeError; }

    // The header bytes of the last Decode.
    const TByteArray &Header() const { return FHeader; }
    // The image bytes of the last Decode.
    const TByteArray &Image() const { return FImage; }

    // Replaces the store's content: Profile from HeaderBytes, the image cut into pieces of
    // PieceBytes bytes (the whole image in one piece when 0), upper-case hexadecimal.
    void FillFromImage(const TByteArray &HeaderBytes, const TByteArray &ImageBytes, std::size_t PieceBytes);
    // Saves the store as a package at Path; false (reason in Serializer().LastError()) when the
    // file could not be written, in which case any previous file at Path is left as it was.
    bool SaveToFile(const std::string &Path);

    // The package tree.
    TMorlithStore &Store() const { return *FStore; }
    // The serializer bound to the store.
    TXMLOptionsSerializer &Serializer() const { return *FSerializer; }

private:
    // Decodes every piece into FImage; false on the first bad piece.
    bool DecodePieces();

    // Declared first so that it is destroyed after the store.
    std::unique_ptr<TXMLOptionsSerializer> FSerializer;
    std::unique_ptr<TMorlithStore> FStore;
    TByteArray FHeader;
    TByteArray FImage;
    bool FLastLoadSucceeded = false;
    std::string FLastDecodeError;
};

} // namespace morlith
