// SPDX-License-Identifier: MIT
#include "DeclaredProperty.h"

namespace morlith {

bool HasTextForm(TPropertyKind Kind)
{
    switch (Kind) {
    case TPropertyKind::pkInteger:
    case TPropertyKind::pkChar:
    case TPropertyKind::pkWChar:
    case TPropertyKind::pkEnumeration:
    case TPropertyKind::pkSet:
    case TPropertyKind::pkFloat:
    case TPropertyKind::pkString:
    case TPropertyKind::pkLString:
    case TPropertyKind::pkWString:
        return true;
    default:
        return false;
    }
}

TPropertyTable::TPropertyTable(std::string ClassName, const TPropertyTable *Base) : FClassName(std::move(ClassName))
{
    if (Base)
        FProperties = Base->FProperties;
}

} // namespace morlith
