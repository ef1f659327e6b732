// SPDX-License-Identifier: MIT
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

using test::ExpectSameValues;
using test::FillAllKinds;
using test::TAllKinds;
using test::TLimits;
using test::TMarker;

TEST(XMLClass, CreateAppliesTheDefaultsOfTheActualClass)
{
    auto limits = TXMLClass::Create<TLimits>(nullptr);
    EXPECT_EQ(limits->Retries, 3);
    EXPECT_EQ(limits->Owner(), nullptr);
    auto tree = TXMLClass::Create<TAllKinds>(nullptr);
    EXPECT_EQ(tree->Limits->Retries, 3);
    EXPECT_EQ(tree->Limits->Owner(), tree.get());
    EXPECT_EQ(tree->History->Add()->Owner(), tree->History.get());
    EXPECT_EQ(tree->ClassName(), "TAllKinds");
}

TEST(XMLClass, ResetDefaultsEmptiesListsAndKeepsValuesWithoutDefaults)
{
    auto tree = TXMLClass::Create<TAllKinds>(nullptr);
    FillAllKinds(*tree);
    tree->ResetDefaults();
    EXPECT_EQ(tree->History->Count(), 0);
    EXPECT_EQ(tree->Mixed->Count(), 0);
    EXPECT_EQ(tree->Limits->Retries, 3);          // TLimits sets it
    EXPECT_EQ(tree->Limits->Note, "nested");      // TLimits leaves it
    EXPECT_EQ(tree->Number, -123456);             // TAllKinds has no SetDefaults
}

TEST(XMLClass, AssignCopiesEveryKindAndTheLists)
{
    auto source = TXMLClass::Create<TAllKinds>(nullptr);
    FillAllKinds(*source);
    auto target = TXMLClass::Create<TAllKinds>(nullptr);
    target->History->Add();
    target->History->Add();
    target->History->Add();
    target->Assign(source.get());
    ExpectSameValues(*target, *source);
    EXPECT_EQ(target->History->Items(0)->Owner(), target->History.get());
}

TEST(XMLClass, AssignFromNullOrItselfChangesNothing)
{
    auto tree = TXMLClass::Create<TAllKinds>(nullptr);
    FillAllKinds(*tree);
    tree->Assign(nullptr);
    tree->History->Assign(tree->History.get());
    EXPECT_EQ(tree->History->Count(), 2);
    EXPECT_EQ(tree->Number, -123456);
}

TEST(XMLClass, AssignMatchesPropertiesByPosition)
{
    // TMarker's only property (a string) lands in TLimits' first property (an integer) through
    // its text; text that does not convert leaves the target alone.
    auto marker = TXMLClass::Create<TMarker>(nullptr);
    auto limits = TXMLClass::Create<TLimits>(nullptr);
    marker->Label = "17";
    limits->Assign(marker.get());
    EXPECT_EQ(limits->Retries, 17);
    marker->Label = "many";
    limits->Assign(marker.get());
    EXPECT_EQ(limits->Retries, 17);
}

TEST(XMLClassList, AddDeleteClearAndBounds)
{
    test::TLimitsList list(nullptr);
    list.Add();
    static_cast<TLimits *>(list.Add())->Note = "b";
    list.Add();
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(static_cast<TLimits *>(list.Items(0))->Note, "b");
    EXPECT_THROW(list.Items(2), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    TXMLClassList bare(nullptr);
    EXPECT_EQ(bare.Add(), nullptr);
    EXPECT_EQ(bare.Count(), 0);
    test::TMixedList mixed(nullptr);
    EXPECT_EQ(mixed.AddByName("TNoSuchClass"), nullptr);
    EXPECT_EQ(mixed.Count(), 0);
}

TEST(XMLClass, WritesElementsInDeclarationOrder)
{
    auto tree = TXMLClass::Create<TAllKinds>(nullptr);
    FillAllKinds(*tree);
    pugi::xml_document document;
    tree->WriteToNode(document.append_child("root"), "Entry");
    std::string names;
    for (pugi::xml_node child : document.first_child().children())
        names += std::string(child.name()) + " ";
    EXPECT_EQ(names, "Number Small Letter WideLetter Flags Colour Enabled Ratio Precise Text WideText OnChange "
                     "Counter64 Limits History Mixed ");
    const pugi::xml_node root = document.first_child();
    EXPECT_STREQ(root.child_value("Letter"), "233");
    EXPECT_STREQ(root.child_value("WideLetter"), "8364");
    EXPECT_STREQ(root.child_value("Flags"), "32773");
    EXPECT_STREQ(root.child_value("Colour"), "2");
    EXPECT_STREQ(root.child_value("Enabled"), "True");
    EXPECT_FALSE(root.child("OnChange").first_child());
    EXPECT_STREQ(root.child("History").first_child().name(), "Entry");
    EXPECT_STREQ(root.child("Mixed").first_child().name(), "TMarker");
}

} // namespace
} // namespace morlith
