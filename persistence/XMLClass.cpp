// SPDX-License-Identifier: MIT
#include "XMLClass.h"

#include <algorithm>

namespace morlith {

void TXMLClass::Assign(const TXMLClass *Source)
{
    if (!Source || Source == this)
        return;
    const TPropertyTable &from = Source->Properties();
    const TPropertyTable &to = Properties();
    // Matched by position; a target that declares fewer properties receives what it can hold.
    const int count = std::min(from.Count(), to.Count());
    for (int i = 0; i < count; ++i) {
        const TDeclaredProperty &source = from[i];
        const TDeclaredProperty &target = to[i];
        if (source.GetObject) {
            TXMLClass *nestedSource = source.GetObject(*Source);
            TXMLClass *nestedTarget = target.GetObject ? target.GetObject(*this) : nullptr;
            if (nestedSource && nestedTarget)
                nestedTarget->Assign(nestedSource);
        } else if (source.GetText && target.SetText) {
            target.SetText(*this, source.GetText(*Source));
        }
    }
}

void TXMLClass::ResetDefaults()
{
    SetDefaults();
    const TPropertyTable &table = Properties();
    for (int i = 0; i < table.Count(); ++i)
        if (table[i].GetObject)
            if (TXMLClass *nested = table[i].GetObject(*this))
                nested->ResetDefaults();
}

const TPropertyTable &TXMLClass::Properties() const
{
    static const TPropertyTable Table("TXMLClass", nullptr);
    return Table;
}

void TXMLClass::WriteToNode(pugi::xml_node Node, const std::string &ItemCaption) const
{
    WriteContent(Node, ItemCaption);
}

void TXMLClass::ReadFromNode(pugi::xml_node Node, const std::string &ItemCaption)
{
    ReadContent(Node, ItemCaption, 0);
}

void TXMLClass::WriteContent(pugi::xml_node Node, const std::string &ItemCaption) const
{
    const TPropertyTable &table = Properties();
    for (int i = 0; i < table.Count(); ++i) {
        const TDeclaredProperty &property = table[i];
        if (property.GetObject) {
            if (const TXMLClass *nested = property.GetObject(*this))
                WriteNested(*nested, Node.append_child(property.Name.c_str()), ItemCaption);
            continue;
        }
        const std::string text = property.GetText ? property.GetText(*this) : std::string();
        if (text.empty() && property.OmitWhenEmpty)
            continue;
        pugi::xml_node element = Node.append_child(property.Name.c_str());
        if (!text.empty())
            element.text().set(text.c_str());
    }
}

void TXMLClass::ReadContent(pugi::xml_node Node, const std::string &ItemCaption, int Depth)
{
    const TPropertyTable &table = Properties();
    for (int i = 0; i < table.Count(); ++i) {
        const TDeclaredProperty &property = table[i];
        const pugi::xml_node element = Node.child(property.Name.c_str());
        if (!element)
            continue;
        if (property.GetObject) {
            if (TXMLClass *nested = property.GetObject(*this))
                ReadNested(*nested, element, ItemCaption, Depth);
        } else if (property.SetText) {
            const std::string text = ElementText(element);
            if (!property.SetText(*this, text)) {
                const char *expected = property.BooleanBase ? "a Boolean" : "an integer";
                throw TXMLReadError("element " + property.Name + ": " + QuoteForMessage(text) + " is not " + expected);
            }
        }
    }
}

void TXMLClass::WriteNested(const TXMLClass &Object, pugi::xml_node Node, const std::string &ItemCaption)
{
    Object.WriteContent(Node, ItemCaption);
}

void TXMLClass::ReadNested(TXMLClass &Object, pugi::xml_node Node, const std::string &ItemCaption, int Depth)
{
    if (Depth + 1 > kMaxReadDepth)
        throw TXMLReadError("element " + std::string(Node.name()) + ": objects nest deeper than " +
                            std::to_string(kMaxReadDepth) + " levels");
    Object.ReadContent(Node, ItemCaption, Depth + 1);
}

std::string ElementText(pugi::xml_node Element)
{
    const pugi::xml_node first = Element.first_child();
    if (!first)
        return std::string();
    const bool text = first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata;
    if (!text || first.next_sibling())
        throw TXMLReadError("element " + std::string(Element.name()) + ": holds more than a single text");
    return first.value();
}

} // namespace morlith
