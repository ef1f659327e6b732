// SPDX-License-Identifier: MIT
#include "TestFiles.h"

#include "EnvironmentVariable.h"
#include "ScratchFolder.h"

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <stdexcept>

namespace morlith::test {

void TempDirTest::SetUp()
{
    FScratch = std::make_unique<TScratchFolder>("morlith-persist-");
    FDir = FScratch->Path();
}

void TempDirTest::TearDown() { FScratch.reset(); }

CommaLocale::CommaLocale()
{
    try {
        std::locale probe("de_DE.UTF-8");
    } catch (const std::runtime_error &) {
        return;
    }
    if (const char *previous = std::getenv("LC_ALL")) {
        FHadPrevious = true;
        FPrevious = previous;
    }
    SetEnvironmentVariable("LC_ALL", "de_DE.UTF-8");
    FActive = true;
}

CommaLocale::~CommaLocale()
{
    if (!FActive)
        return;
    if (FHadPrevious)
        SetEnvironmentVariable("LC_ALL", FPrevious);
    else
        UnsetEnvironmentVariable("LC_ALL");
}

const TPropertyTable &TLimits::Properties() const
{
    static const TPropertyTable Table = TPropertyTableOf<TLimits>("TLimits", TXMLClass::Properties())
                                            .Integer("Retries", &TLimits::Retries)
                                            .String("Note", &TLimits::Note);
    return Table;
}

const TPropertyTable &TMarker::Properties() const
{
    static const TPropertyTable Table =
        TPropertyTableOf<TMarker>("TMarker", TXMLClass::Properties()).String("Label", &TMarker::Label);
    return Table;
}

std::unique_ptr<TXMLClass> TMixedList::CreateItemByName(const std::string &Name)
{
    if (Name == "TLimits")
        return Create<TLimits>(this);
    if (Name == "TMarker")
        return Create<TMarker>(this);
    return nullptr;
}

TAllKinds::TAllKinds(TXMLClass *Owner)
    : TXMLClass(Owner), Limits(Create<TLimits>(this)), History(Create<TLimitsList>(this)), Mixed(Create<TMixedList>(this))
{
}

const TPropertyTable &TAllKinds::Properties() const
{
    static const TPropertyTable Table = TPropertyTableOf<TAllKinds>("TAllKinds", TXMLClass::Properties())
                                            .Integer("Number", &TAllKinds::Number)
                                            .Integer("Small", &TAllKinds::Small)
                                            .Char("Letter", &TAllKinds::Letter)
                                            .WideChar("WideLetter", &TAllKinds::WideLetter)
                                            .Set("Flags", &TAllKinds::Flags)
                                            .Enumeration("Colour", &TAllKinds::Colour)
                                            .Boolean("Enabled", &TAllKinds::Enabled)
                                            .Float("Ratio", &TAllKinds::Ratio)
                                            .Float("Precise", &TAllKinds::Precise)
                                            .String("Text", &TAllKinds::Text)
                                            .String("WideText", &TAllKinds::WideText, TPropertyKind::pkWString)
                                            .Opaque("OnChange", TPropertyKind::pkMethod)
                                            .Opaque("Counter64", TPropertyKind::pkInt64)
                                            .Object("Limits", &TAllKinds::Limits)
                                            .Object("History", &TAllKinds::History)
                                            .Object("Mixed", &TAllKinds::Mixed);
    return Table;
}

void FillAllKinds(TAllKinds &o)
{
    o.Number = -123456;
    o.Small = 200;
    o.Letter = static_cast<char>(0xE9);
    o.WideLetter = u'\u20AC';
    o.Flags = 0x8005;
    o.Colour = TColour::clBlue;
    o.Enabled = true;
    o.Ratio = 0.1f;
    o.Precise = 2.5e-7;
    o.Text = "line1\nline2 a < b & \"c\" \xC3\xA4";
    o.WideText = "  \xE2\x82\xAC uro  ";
    o.Limits->Retries = 9;
    o.Limits->Note = "nested";
    static_cast<TLimits *>(o.History->Add())->Retries = 1;
    static_cast<TLimits *>(o.History->Add())->Note = "second";
    static_cast<TMarker *>(o.Mixed->AddByName("TMarker"))->Label = "m";
    static_cast<TLimits *>(o.Mixed->AddByName("TLimits"))->Retries = 5;
}

void ExpectSameValues(const TAllKinds &a, const TAllKinds &b)
{
    EXPECT_EQ(a.Number, b.Number);
    EXPECT_EQ(a.Small, b.Small);
    EXPECT_EQ(a.Letter, b.Letter);
    EXPECT_EQ(a.WideLetter, b.WideLetter);
    EXPECT_EQ(a.Flags, b.Flags);
    EXPECT_EQ(a.Colour, b.Colour);
    EXPECT_EQ(a.Enabled, b.Enabled);
    EXPECT_EQ(a.Ratio, b.Ratio);
    EXPECT_EQ(a.Precise, static_cast<double>(static_cast<float>(b.Precise)));   // single precision on the way
    EXPECT_EQ(a.Text, b.Text);
    EXPECT_EQ(a.WideText, b.WideText);
    EXPECT_EQ(a.Limits->Retries, b.Limits->Retries);
    EXPECT_EQ(a.Limits->Note, b.Limits->Note);
    ASSERT_EQ(a.History->Count(), b.History->Count());
    for (int i = 0; i < a.History->Count(); ++i) {
        EXPECT_EQ(static_cast<TLimits *>(a.History->Items(i))->Retries, static_cast<TLimits *>(b.History->Items(i))->Retries);
        EXPECT_EQ(static_cast<TLimits *>(a.History->Items(i))->Note, static_cast<TLimits *>(b.History->Items(i))->Note);
    }
    ASSERT_EQ(a.Mixed->Count(), b.Mixed->Count());
    for (int i = 0; i < a.Mixed->Count(); ++i)
        EXPECT_EQ(a.Mixed->Items(i)->ClassName(), b.Mixed->Items(i)->ClassName());
}

std::unique_ptr<TXMLOptionsSerializer> MakeSerializer(TXMLClass &Object, const std::string &Path)
{
    auto serializer = std::make_unique<TXMLOptionsSerializer>();
    serializer->SetApplicationName("ORVELMorlith");
    serializer->SetXMLFilePath(Path);
    serializer->SetXMLObject(&Object);
    return serializer;
}

void SerializerTest::SetUp()
{
    TempDirTest::SetUp();
    FTree = TXMLClass::Create<TAllKinds>(nullptr);
    FSerializer = MakeSerializer(*FTree, PathOf("doc.xml"));
}

std::string Document(const std::string &Body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config Application=\"ORVELMorlith\" Version=\"1\">" + Body +
           "</config>\r\n";
}

} // namespace morlith::test
