// SPDX-License-Identifier: MIT
#include "MorlithStore.h"

namespace morlith {

const TPropertyTable &TFirmwareItem::Properties() const
{
    static const TPropertyTable Table =
        TPropertyTableOf<TFirmwareItem>("TFirmwareItem", TXMLClass::Properties()).String("Code", &TFirmwareItem::FCode);
    return Table;
}

const TPropertyTable &TFirmwareList::Properties() const
{
    static const TPropertyTable Table("TFirmwareList", &TXMLClassList::Properties());
    return Table;
}

std::unique_ptr<TXMLClass> TFirmwareList::CreateItem()
{
    return Create<TFirmwareItem>(this);
}

TMorlithStore::TMorlithStore(TXMLClass *Owner) : TXMLClass(Owner), FFirmwareList(Create<TFirmwareList>(this)) {}

const TPropertyTable &TMorlithStore::Properties() const
{
    static const TPropertyTable Table = TPropertyTableOf<TMorlithStore>("TMorlithStore", TXMLClass::Properties())
                                            .Object("FirmwareList", &TMorlithStore::FFirmwareList)
                                            .String("Profile", &TMorlithStore::FProfile);
    return Table;
}

} // namespace morlith
