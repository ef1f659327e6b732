// SPDX-License-Identifier: MIT
#pragma once
// TXMLClass: the base of every persisted object. Its declared properties drive writing to an XML
// element, reading from one, copying and resetting; derived classes only declare their table.

#include "DeclaredProperty.h"

#include <pugixml.hpp>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace morlith {

// Raised inside reading when an element does not convert; the serializer's Load catches it.
class TXMLReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Base of every persisted object.
class TXMLClass {
public:
    // Stores Owner (not owned). Use Create<T> so that the defaults of the actual class apply.
    explicit TXMLClass(TXMLClass *Owner) : FOwner(Owner) {}
    virtual ~TXMLClass() = default;
    TXMLClass(const TXMLClass &) = delete;
    TXMLClass &operator=(const TXMLClass &) = delete;

    // Constructs a T owned by Owner's tree and applies the SetDefaults of T.
    template <class T, class... Args>
    static std::unique_ptr<T> Create(TXMLClass *Owner, Args &&...Arguments)
    {
        auto object = std::make_unique<T>(Owner, std::forward<Args>(Arguments)...);
        object->SetDefaults();
        return object;
    }

    // The persisted object that created this one (a list for its items, a parent for a nested
    // object), or null for a root.
    TXMLClass *Owner() const { return FOwner; }

    // Copies Source's declared properties by position through their text forms; nested objects
    // are assigned in turn. A null Source or Source == this does nothing.
    virtual void Assign(const TXMLClass *Source);

    // Gives this class's own properties their default values; nothing here.
    virtual void SetDefaults() {}

    // SetDefaults on this object, then ResetDefaults on every existing nested object.
    void ResetDefaults();

    // The declared properties of the actual class; TXMLClass declares none.
    virtual const TPropertyTable &Properties() const;

    // The class name from the property table, e.g. "TFirmwareItem".
    const std::string &ClassName() const { return Properties().ClassName(); }

    // Appends this object's elements below Node; ItemCaption names the items of lists.
    void WriteToNode(pugi::xml_node Node, const std::string &ItemCaption) const;

    // Fills this object from the element Node; throws TXMLReadError when a value does not convert,
    // an element holds more than a single text, or objects nest deeper than kMaxReadDepth.
    void ReadFromNode(pugi::xml_node Node, const std::string &ItemCaption);

    // How deeply nested objects and list items are read before the document is refused.
    static constexpr int kMaxReadDepth = 64;

protected:
    // Writes the content of this object (properties here; items in lists).
    virtual void WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const;
    // Reads the content of this object at nesting level Depth.
    virtual void ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth);

    // Writes Object into Node (lets derived classes reach another object's content).
    static void WriteNested(const TXMLClass &Object, pugi::xml_node Node, const std::string &ItemCaption);
    // Reads Object from Node one level below Depth, refusing documents nested too deeply.
    static void ReadNested(TXMLClass &Object, pugi::xml_node Node, const std::string &ItemCaption, int Depth);

private:
    TXMLClass *FOwner = nullptr;
};

// The text of Element: its single text or CDATA child, or empty when it has no children.
// Throws TXMLReadError for any other content.
std::string ElementText(pugi::xml_node Element);

} // namespace morlith
