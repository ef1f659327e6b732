// SPDX-License-Identifier: MIT
#pragma once
// Declared properties: the ordered table through which every persisted class is written, read,
// copied and reset. A class declares its table once; no class writes reading or writing code.
//
//   const TPropertyTable &TConfig::Properties() const
//   {
//       static const TPropertyTable Table =
//           TPropertyTableOf<TConfig>("TConfig", TXMLClass::Properties()).Integer("Port", &TConfig::FPort);
//       return Table;
//   }

#include "FloatText.h"
#include "PropertyText.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace morlith {

class TXMLClass;

// The kind of a declared property; it decides the property's text form.
enum class TPropertyKind {
    pkInteger, pkChar, pkWChar, pkEnumeration, pkSet, pkFloat, pkString, pkLString, pkWString,
    pkClass, pkMethod, pkVariant, pkInt64, pkArray, pkRecord, pkInterface, pkDynArray, pkUnknown
};

// True for the kinds that are written as text and read back from it.
bool HasTextForm(TPropertyKind Kind);

// One entry of a property table.
struct TDeclaredProperty {
    // Property name, also the name of its XML element (exact letter case).
    std::string Name;
    // Kind of the property.
    TPropertyKind Kind = TPropertyKind::pkUnknown;
    // For pkEnumeration: the base type is Boolean ("True"/"False" rather than an ordinal).
    bool BooleanBase = false;
    // Not written at all while its text is empty (a setting added later: files without it stay
    // as they were).
    bool OmitWhenEmpty = false;
    // Read access as text; empty for kinds without a text form and for object references.
    std::function<std::string(const TXMLClass &)> GetText;
    // Write access from text; returns false when the text does not convert for this kind.
    std::function<bool(TXMLClass &, const std::string &)> SetText;
    // Read access of an object reference: the nested object, or null.
    std::function<TXMLClass *(const TXMLClass &)> GetObject;
};

// The ordered properties of one class, those of its base class first.
class TPropertyTable {
public:
    // A table for ClassName holding the properties of Base (if any), to which a class adds its own.
    TPropertyTable(std::string ClassName, const TPropertyTable *Base);

    // Name of the class that declared this table; names list items of a TXMLClassListExt.
    const std::string &ClassName() const { return FClassName; }
    // Number of declared properties.
    int Count() const { return static_cast<int>(FProperties.size()); }
    // The property at Index (0 .. Count-1), in declaration order.
    const TDeclaredProperty &operator[](int Index) const { return FProperties.at(static_cast<std::size_t>(Index)); }

protected:
    // Appends one property.
    void Append(TDeclaredProperty Property) { FProperties.push_back(std::move(Property)); }

private:
    std::string FClassName;
    std::vector<TDeclaredProperty> FProperties;
};

// Builds the table of class C from member pointers to its fields.
template <class C>
class TPropertyTableOf : public TPropertyTable {
public:
    // Starts the table of C from the table of its base class.
    TPropertyTableOf(std::string ClassName, const TPropertyTable &Base) : TPropertyTable(std::move(ClassName), &Base) {}

    // A signed or unsigned integer field of up to 32 bits.
    template <class V>
    TPropertyTableOf &Integer(const char *Name, V C::*Field)
    {
        static_assert(std::is_integral_v<V> && sizeof(V) <= 4, "integer properties hold up to 32 bits");
        return Ordinal(Name, TPropertyKind::pkInteger, Field);
    }
    // An 8-bit character field, written as its code.
    TPropertyTableOf &Char(const char *Name, char C::*Field)
    {
        return Ordinal(Name, TPropertyKind::pkChar, Field);
    }
    // A 16-bit character field, written as its code.
    TPropertyTableOf &WideChar(const char *Name, char16_t C::*Field)
    {
        return Ordinal(Name, TPropertyKind::pkWChar, Field);
    }
    // A set held as an unsigned bit mask of up to 32 bits.
    template <class V>
    TPropertyTableOf &Set(const char *Name, V C::*Field)
    {
        static_assert(std::is_unsigned_v<V> && sizeof(V) <= 4, "sets are unsigned masks of up to 32 bits");
        return Ordinal(Name, TPropertyKind::pkSet, Field);
    }
    // An enumeration other than Boolean, written as its ordinal.
    template <class V>
    TPropertyTableOf &Enumeration(const char *Name, V C::*Field)
    {
        static_assert(std::is_enum_v<V>, "enumeration properties hold an enum");
        return Ordinal(Name, TPropertyKind::pkEnumeration, Field);
    }
    // A Boolean field: an enumeration whose base type is Boolean.
    TPropertyTableOf &Boolean(const char *Name, bool C::*Field)
    {
        TDeclaredProperty p = Entry(Name, TPropertyKind::pkEnumeration);
        p.BooleanBase = true;
        p.GetText = [Field](const TXMLClass &o) { return std::string(BooleanToText(Self(o).*Field)); };
        p.SetText = [Field](TXMLClass &o, const std::string &t) { return TryTextToBoolean(t, Self(o).*Field); };
        return Add(std::move(p));
    }
    // A Boolean field written only when true; an empty element reads as false.
    TPropertyTableOf &OptionalBoolean(const char *Name, bool C::*Field)
    {
        TDeclaredProperty p = Entry(Name, TPropertyKind::pkEnumeration);
        p.BooleanBase = true;
        p.OmitWhenEmpty = true;
        p.GetText = [Field](const TXMLClass &o) { return Self(o).*Field ? std::string(BooleanToText(true)) : ""; };
        p.SetText = [Field](TXMLClass &o, const std::string &t) {
            return t.empty() ? !(Self(o).*Field = false) : TryTextToBoolean(t, Self(o).*Field);
        };
        return Add(std::move(p));
    }
    // A float or double field; values are stored at single precision after reading.
    template <class V>
    TPropertyTableOf &Float(const char *Name, V C::*Field)
    {
        static_assert(std::is_floating_point_v<V>, "float properties hold a floating-point value");
        TDeclaredProperty p = Entry(Name, TPropertyKind::pkFloat);
        p.GetText = [Field](const TXMLClass &o) { return FloatToText(static_cast<double>(Self(o).*Field)); };
        p.SetText = [Field](TXMLClass &o, const std::string &t) {
            Self(o).*Field = static_cast<V>(TextToFloat(t));
            return true;
        };
        return Add(std::move(p));
    }
    // A string field (UTF-8); Kind may say pkLString or pkWString for documentation.
    TPropertyTableOf &String(const char *Name, std::string C::*Field, TPropertyKind Kind = TPropertyKind::pkString)
    {
        return Add(StringEntry(Name, Field, Kind));
    }
    // A string field written only when it is not empty.
    TPropertyTableOf &OptionalString(const char *Name, std::string C::*Field)
    {
        TDeclaredProperty p = StringEntry(Name, Field, TPropertyKind::pkString);
        p.OmitWhenEmpty = true;
        return Add(std::move(p));
    }
    // A nested persisted object that C creates, owns and never replaces.
    template <class T>
    TPropertyTableOf &Object(const char *Name, std::unique_ptr<T> C::*Field)
    {
        TDeclaredProperty p = Entry(Name, TPropertyKind::pkClass);
        p.GetObject = [Field](const TXMLClass &o) -> TXMLClass * { return (Self(o).*Field).get(); };
        return Add(std::move(p));
    }
    // A property of a kind without a text form (method, variant, 64-bit integer, array, record,
    // interface, dynamic array, unknown): written as an empty element, ignored on reading.
    TPropertyTableOf &Opaque(const char *Name, TPropertyKind Kind)
    {
        return Add(Entry(Name, HasTextForm(Kind) || Kind == TPropertyKind::pkClass ? TPropertyKind::pkUnknown : Kind));
    }

private:
    static const C &Self(const TXMLClass &o) { return static_cast<const C &>(o); }
    static C &Self(TXMLClass &o) { return static_cast<C &>(o); }

    static TDeclaredProperty Entry(const char *Name, TPropertyKind Kind)
    {
        TDeclaredProperty p;
        p.Name = Name;
        p.Kind = Kind;
        return p;
    }

    static TDeclaredProperty StringEntry(const char *Name, std::string C::*Field, TPropertyKind Kind)
    {
        TDeclaredProperty p = Entry(Name, Kind);
        p.GetText = [Field](const TXMLClass &o) { return Self(o).*Field; };
        p.SetText = [Field](TXMLClass &o, const std::string &t) {
            Self(o).*Field = t;
            return true;
        };
        return p;
    }

    TPropertyTableOf &Add(TDeclaredProperty p)
    {
        Append(std::move(p));
        return *this;
    }

    // Integers, characters, sets and enumerations: a decimal number read as a 32-bit integer;
    // unsigned 32-bit fields also read the decimal text of their values above 2^31 - 1.
    template <class V>
    TPropertyTableOf &Ordinal(const char *Name, TPropertyKind Kind, V C::*Field)
    {
        TDeclaredProperty p = Entry(Name, Kind);
        p.GetText = [Field](const TXMLClass &o) { return std::to_string(OrdinalOf(Self(o).*Field)); };
        p.SetText = [Field](TXMLClass &o, const std::string &t) {
            using TRaw = typename TRawOf<V>::Type;
            if constexpr (std::is_unsigned_v<TRaw> && sizeof(TRaw) == 4) {
                std::uint32_t value = 0;
                if (!TryTextToUInt32(t, value))
                    return false;
                Self(o).*Field = static_cast<V>(value);
            } else {
                std::int32_t value = 0;
                if (!TryTextToInt(t, value))
                    return false;
                Self(o).*Field = static_cast<V>(value);
            }
            return true;
        };
        return Add(std::move(p));
    }

    // The integer type behind V: its underlying type for an enumeration, V itself otherwise.
    template <class V, bool = std::is_enum_v<V>>
    struct TRawOf {
        using Type = V;
    };
    template <class V>
    struct TRawOf<V, true> {
        using Type = std::underlying_type_t<V>;
    };

    template <class V>
    static long long OrdinalOf(V Value)
    {
        if constexpr (std::is_enum_v<V>)
            return static_cast<long long>(static_cast<std::underlying_type_t<V>>(Value));
        else if constexpr (std::is_same_v<V, char>)
            return static_cast<unsigned char>(Value);
        else
            return static_cast<long long>(Value);
    }
};

} // namespace morlith
