// SPDX-License-Identifier: MIT
#pragma once
// Persisted lists: TXMLClassList (items of one class, elements named by the item caption) and
// TXMLClassListExt (items of several classes, elements named by each item's class name).

#include "XMLClass.h"

#include <memory>
#include <string>
#include <vector>

namespace morlith {

// An owning, ordered list of persisted items. Only the items are persisted.
class TXMLClassList : public TXMLClass {
public:
    using TXMLClass::TXMLClass;
    // Destroys every item.
    ~TXMLClassList() override;

    // Clears and copies Source's items through this list's own factory; a non-list Source
    // is copied by its declared properties.
    void Assign(const TXMLClass *Source) override;
    const TPropertyTable &Properties() const override;
    // A list's defaults: no items.
    void SetDefaults() override { Clear(); }
    // The item factory: a new item whose Owner is this list; null here, concrete lists supply it.
    virtual std::unique_ptr<TXMLClass> CreateItem() { return nullptr; }

    // Number of items.
    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at Index; throws std::out_of_range outside 0 .. Count-1.
    TXMLClass *Items(int Index) const { return FItems.at(static_cast<std::size_t>(Index)).get(); }
    // Creates an item with CreateItem, appends it and returns it; null when the factory gives none.
    TXMLClass *Add();
    // Destroys the item at Index and removes it; throws std::out_of_range outside the list.
    void Delete(int Index);
    // Deletes every item.
    void Clear();

protected:
    // A new item to receive a copy of Source; CreateItem here.
    virtual std::unique_ptr<TXMLClass> CreateItemFor(const TXMLClass &Source)
    {
        (void)Source;
        return CreateItem();
    }
    // Appends a created item and returns it; null items are not appended.
    TXMLClass *Append(std::unique_ptr<TXMLClass> Item);

    void WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const override;
    void ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth) override;

private:
    std::vector<std::unique_ptr<TXMLClass>> FItems;
};

// A list whose items may be of different classes, each stored under its class name.
class TXMLClassListExt : public TXMLClassList {
public:
    using TXMLClassList::TXMLClassList;
    const TPropertyTable &Properties() const override;

    // Factory by class name: a new item of the class called Name, owned by this list; null here.
    virtual std::unique_ptr<TXMLClass> CreateItemByName(const std::string &Name)
    {
        (void)Name;
        return nullptr;
    }
    // Creates an item with CreateItemByName, appends it and returns it; null for an unknown name.
    TXMLClass *AddByName(const std::string &Name) { return Append(CreateItemByName(Name)); }

protected:
    // Copies keep the class of their source item.
    std::unique_ptr<TXMLClass> CreateItemFor(const TXMLClass &Source) override
    {
        return CreateItemByName(Source.ClassName());
    }
    void WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const override;
    void ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth) override;
};

} // namespace morlith
