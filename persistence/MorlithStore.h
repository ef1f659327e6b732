// SPDX-License-Identifier: MIT
#pragma once
// The object tree of a firmware package: the header as hexadecimal text (Profile) and the image
// as hexadecimal pieces (FirmwareList).

#include "XMLClass.h"
#include "XMLClassList.h"

#include <memory>
#include <string>

namespace morlith {

// One piece of the image as hexadecimal text.
class TFirmwareItem : public TXMLClass {
public:
    using TXMLClass::TXMLClass;
    const TPropertyTable &Properties() const override;

    // The piece, two digits per byte (default empty).
    const std::string &Code() const { return FCode; }
    void SetCode(const std::string &Value) { FCode = Value; }

private:
    std::string FCode;
};

// The pieces in image order.
class TFirmwareList : public TXMLClassList {
public:
    using TXMLClassList::TXMLClassList;
    const TPropertyTable &Properties() const override;
    // A new TFirmwareItem owned by this list.
    std::unique_ptr<TXMLClass> CreateItem() override;

    // The piece at Index.
    TFirmwareItem *Items(int Index) const { return static_cast<TFirmwareItem *>(TXMLClassList::Items(Index)); }
    // Appends an empty piece and returns it.
    TFirmwareItem *Add() { return static_cast<TFirmwareItem *>(TXMLClassList::Add()); }
};

// Root object of a package: FirmwareList, then Profile. A reset empties both, so that what a
// load leaves comes only from the file just loaded.
class TMorlithStore : public TXMLClass {
public:
    // Creates the owned piece list.
    explicit TMorlithStore(TXMLClass *Owner);
    const TPropertyTable &Properties() const override;
    // Empties Profile (the piece list empties itself).
    void SetDefaults() override { FProfile.clear(); }

    // The pieces; created with the store and never replaced.
    TFirmwareList &FirmwareList() const { return *FFirmwareList; }
    // The eight-byte header as sixteen hexadecimal digits (default empty).
    const std::string &Profile() const { return FProfile; }
    void SetProfile(const std::string &Value) { FProfile = Value; }

private:
    std::unique_ptr<TFirmwareList> FFirmwareList;
    std::string FProfile;
};

} // namespace morlith
