// SPDX-License-Identifier: MIT
#include "XMLClassList.h"

namespace morlith {

TXMLClassList::~TXMLClassList()
{
    Clear();
}

const TPropertyTable &TXMLClassList::Properties() const
{
    static const TPropertyTable Table("TXMLClassList", &TXMLClass::Properties());
    return Table;
}

const TPropertyTable &TXMLClassListExt::Properties() const
{
    static const TPropertyTable Table("TXMLClassListExt", &TXMLClassList::Properties());
    return Table;
}

void TXMLClassList::Assign(const TXMLClass *Source)
{
    const auto *list = dynamic_cast<const TXMLClassList *>(Source);
    if (!list) {
        TXMLClass::Assign(Source);
        return;
    }
    if (list == this)
        return;
    Clear();
    for (const auto &item : list->FItems)
        if (TXMLClass *copy = Append(CreateItemFor(*item)))
            copy->Assign(item.get());
}

TXMLClass *TXMLClassList::Add()
{
    return Append(CreateItem());
}

void TXMLClassList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("TXMLClassList::Delete: index " + std::to_string(Index) + " out of range");
    // Take the item out before destroying it, so its destructor never sees itself in the list.
    std::unique_ptr<TXMLClass> item = std::move(FItems[static_cast<std::size_t>(Index)]);
    FItems.erase(FItems.begin() + Index);
}

void TXMLClassList::Clear()
{
    // Items go in list order, from index 0; taking them out at once keeps this linear for the
    // long lists a hostile document can produce.
    std::vector<std::unique_ptr<TXMLClass>> items;
    items.swap(FItems);
    for (auto &item : items)
        item.reset();
}

TXMLClass *TXMLClassList::Append(std::unique_ptr<TXMLClass> Item)
{
    if (!Item)
        return nullptr;
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

void TXMLClassList::WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const
{
    for (const auto &item : FItems)
        WriteNested(*item, Node.append_child(ItemCaption.c_str()), ItemCaption);
}

void TXMLClassList::ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth)
{
    if (!Node.first_child())
        return;
    Clear();
    // Items start at the first element named ItemCaption; a list element without one gets one
    // item at its defaults. From there on every sibling node is an item, whatever its name.
    pugi::xml_node node = Node.child(ItemCaption.c_str());
    if (!node)
        node = Node.append_child(ItemCaption.c_str());
    for (; node; node = node.next_sibling()) {
        TXMLClass *item = Add();
        if (!item)
            throw TXMLReadError("element " + std::string(Node.name()) + ": the list " + ClassName() +
                                " creates no items");
        ReadNested(*item, node, ItemCaption, Depth);
    }
}

void TXMLClassListExt::WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const
{
    for (int i = 0; i < Count(); ++i) {
        const TXMLClass &item = *Items(i);
        WriteNested(item, Node.append_child(item.ClassName().c_str()), ItemCaption);
    }
}

void TXMLClassListExt::ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth)
{
    if (!Node.first_child())
        return;
    Clear();
    for (pugi::xml_node node = Node.first_child(); node; node = node.next_sibling()) {
        TXMLClass *item = AddByName(node.name());
        if (!item)
            throw TXMLReadError("element " + std::string(Node.name()) + ": no item class named " +
                                QuoteForMessage(node.name()));
        ReadNested(*item, node, ItemCaption, Depth);
    }
}

} // namespace morlith
