// SPDX-License-Identifier: MIT
#include "ControllerHolding.h"

#include "NumberText.h"

namespace morlith {

TJson HoldingObject(const TControllerHolding &Holding)
{
    TJson object = {{"mcu", Holding.Controller}};
    if (!Holding.Present) {
        object["absent"] = true;
        return object;
    }
    object["image_length"] = Holding.ImageLength();
    object["image_crc"] = Hex16(Holding.ImageCrc());
    object["dseg_length"] = Holding.SegmentLength();
    object["package"] = Holding.Package ? TJson(*Holding.Package) : TJson(nullptr);
    return object;
}

} // namespace morlith
