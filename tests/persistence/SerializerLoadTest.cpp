// SPDX-License-Identifier: MIT
#include "DocumentFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace morlith {
namespace {

using test::Document;
using test::TAllKinds;
using test::TLimits;

class SerializerLoad : public test::SerializerTest {
protected:
    // Writes Content as the document and loads it.
    void LoadText(const std::string &Content)
    {
        test::WriteText(PathOf("doc.xml"), Content);
        FSerializer->Load();
    }
    // A tree with one history item and a Limits note, to see what a load resets.
    void Prefill()
    {
        FTree->History->Add();
        FTree->Limits->Retries = 11;
        FTree->Limits->Note = "kept";
        FTree->Number = 99;
    }
    void ExpectAtDefaults()
    {
        EXPECT_EQ(FTree->History->Count(), 0);
        EXPECT_EQ(FTree->Mixed->Count(), 0);
        EXPECT_EQ(FTree->Limits->Retries, 3);
    }
};

TEST_F(SerializerLoad, ReadsEveryKindAndBothLists)
{
    LoadText(Document("<Number>-5</Number><Small>$FF</Small><Letter>65</Letter><WideLetter>8364</WideLetter>"
                      "<Flags>6</Flags><Colour>1</Colour><Enabled>TRUE</Enabled><Ratio>0.25</Ratio>"
                      "<Text><![CDATA[<raw>]]></Text><OnChange>ignored</OnChange><Counter64>x</Counter64>"
                      "<Limits><Retries>8</Retries></Limits>"
                      "<History><Item><Note>a</Note></Item><Item/></History>"
                      "<Mixed><TLimits><Retries>4</Retries></TLimits><TMarker><Label>L</Label></TMarker></Mixed>"
                      "<Unknown>whatever</Unknown>"));
    EXPECT_EQ(FSerializer->LastError(), "");
    EXPECT_EQ(FTree->Number, -5);
    EXPECT_EQ(FTree->Small, 255);
    EXPECT_EQ(FTree->Letter, 'A');
    EXPECT_EQ(FTree->WideLetter, u'\u20AC');
    EXPECT_EQ(FTree->Flags, 6);
    EXPECT_EQ(FTree->Colour, test::TColour::clGreen);
    EXPECT_TRUE(FTree->Enabled);
    EXPECT_EQ(FTree->Ratio, 0.25f);
    EXPECT_EQ(FTree->Text, "<raw>");
    EXPECT_EQ(FTree->Limits->Retries, 8);
    ASSERT_EQ(FTree->History->Count(), 2);
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(0))->Note, "a");
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(1))->Retries, 3);
    ASSERT_EQ(FTree->Mixed->Count(), 2);
    EXPECT_EQ(static_cast<TLimits *>(FTree->Mixed->Items(0))->Retries, 4);
    EXPECT_EQ(FTree->Mixed->Items(1)->ClassName(), "TMarker");
}

TEST_F(SerializerLoad, PropertiesInAnotherOrderLoadTheSame)
{
    LoadText(Document("<Text>t</Text><Limits><Note>n</Note><Retries>2</Retries></Limits><Number>7</Number>"));
    EXPECT_EQ(FTree->Number, 7);
    EXPECT_EQ(FTree->Text, "t");
    EXPECT_EQ(FTree->Limits->Retries, 2);
    EXPECT_EQ(FTree->Limits->Note, "n");
}

TEST_F(SerializerLoad, MissingFileLeavesTheTreeAtItsDefaults)
{
    Prefill();
    FSerializer->Load();
    ExpectAtDefaults();
    EXPECT_EQ(FTree->Number, 99);
    EXPECT_EQ(FSerializer->LastError(), "file not found: " + PathOf("doc.xml"));
}

TEST_F(SerializerLoad, AValueThatDoesNotConvertResetsTheWholeTreeAgain)
{
    for (const char *number : {"<Number>abc</Number>", "<Number></Number>", "<Number/>", "<Enabled>yes</Enabled>"}) {
        Prefill();
        LoadText(Document(std::string("<History><Item/><Item/></History><Limits><Retries>5</Retries></Limits>") +
                          number));
        ExpectAtDefaults();
        EXPECT_NE(FSerializer->LastError(), "") << number;
    }
    EXPECT_EQ(FSerializer->LastError(), "element Enabled: 'yes' is not a Boolean");
}

TEST_F(SerializerLoad, AFailureLateInTheTreeEmptiesListsReadBeforeIt)
{
    LoadText(Document("<History><Item/></History><Mixed><TLimits><Retries>x</Retries></TLimits></Mixed>"
                      "<Number>42</Number>"));
    EXPECT_EQ(FTree->History->Count(), 0);
    EXPECT_EQ(FTree->Mixed->Count(), 0);
    EXPECT_EQ(FTree->Number, 42);   // read before the failure; TAllKinds has no SetDefaults
    EXPECT_EQ(FSerializer->LastError(), "element Retries: 'x' is not an integer");
}

TEST_F(SerializerLoad, ElementsWithMoreThanASingleTextFail)
{
    for (const char *bad : {"<Number>1<b/></Number>", "<Number><b/></Number>", "<Number>1<![CDATA[2]]></Number>"}) {
        LoadText(Document(std::string("<History><Item/></History>") + bad));
        EXPECT_EQ(FTree->History->Count(), 0) << bad;
        EXPECT_EQ(FSerializer->LastError(), "element Number: holds more than a single text") << bad;
    }
}

TEST_F(SerializerLoad, HeaderChecksStopTheLoad)
{
    const std::pair<const char *, const char *> cases[] = {
        {"<?xml version=\"1.0\"?><foo Application=\"ORVELMorlith\" Version=\"1\"><Number>1</Number></foo>",
         "root element is 'foo', expected 'config'"},
        {"<config Application=\"orvelmorlith\" Version=\"1\"><Number>1</Number></config>",
         "Application attribute is 'orvelmorlith', expected 'ORVELMorlith'"},
        {"<config Version=\"1\"><Number>1</Number></config>", "root element has no Application attribute"},
        {"<config Application=\"ORVELMorlith\"><Number>1</Number></config>", "root element has no Version attribute"},
        {"<config Application=\"ORVELMorlith\" Version=\"v2\"><Number>1</Number></config>",
         "Version attribute 'v2' is not an integer"}};
    for (const auto &[content, error] : cases) {
        FTree->Number = 0;
        LoadText(content);
        EXPECT_EQ(FTree->Number, 0) << content;
        EXPECT_EQ(FSerializer->LastError(), error);
    }
}

TEST_F(SerializerLoad, VersionKeepsItsLow8Bits)
{
    for (const auto &[text, version] : {std::pair{"7", 7}, std::pair{"300", 44}, std::pair{"$101", 1}}) {
        LoadText("<config Application=\"ORVELMorlith\" Version=\"" + std::string(text) + "\"/>");
        EXPECT_EQ(FSerializer->LastError(), "");
        EXPECT_EQ(FSerializer->Version(), version) << text;
    }
}

TEST_F(SerializerLoad, WithoutVersionControlAnyRootIsRead)
{
    FSerializer->SetUseVersionControl(false);
    LoadText("<anything><Number>3</Number></anything>");
    EXPECT_EQ(FTree->Number, 3);
}

TEST_F(SerializerLoad, ListItemsStartAtTheFirstItemElement)
{
    // Before the first Item: skipped. After it: every node is an item, whatever its name.
    LoadText(Document("<History><Junk><Retries>1</Retries></Junk><Item><Retries>2</Retries></Item>"
                      "<Other><Retries>4</Retries></Other>text</History>"));
    ASSERT_EQ(FTree->History->Count(), 3);
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(0))->Retries, 2);
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(1))->Retries, 4);
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(2))->Retries, 3);
}

TEST_F(SerializerLoad, AListElementWithChildrenButNoItemGetsOneDefaultItem)
{
    LoadText(Document("<History><Entry><Retries>1</Retries></Entry></History>"));
    ASSERT_EQ(FTree->History->Count(), 1);
    EXPECT_EQ(static_cast<TLimits *>(FTree->History->Items(0))->Retries, 3);
    LoadText(Document("<History></History>"));
    EXPECT_EQ(FTree->History->Count(), 0);
}

TEST_F(SerializerLoad, AnUnknownClassInAMixedListFailsTheLoad)
{
    LoadText(Document("<History><Item/></History><Mixed><TStranger/></Mixed>"));
    EXPECT_EQ(FTree->History->Count(), 0);
    EXPECT_EQ(FSerializer->LastError(), "element Mixed: no item class named 'TStranger'");
}

TEST_F(SerializerLoad, FloatsUnderACommaLocale)
{
    test::CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps installs it)";
    LoadText(Document("<Ratio>1.5</Ratio><Precise>1,5</Precise>"));
    EXPECT_EQ(FTree->Ratio, 1.5f);
    EXPECT_EQ(FTree->Precise, 1.5);
    LoadText(Document("<Ratio>abc</Ratio><Number>4</Number>"));
    EXPECT_EQ(FTree->Ratio, 0.0f);
    EXPECT_EQ(FTree->Number, 4);   // an unparsable float does not fail the load
    EXPECT_EQ(FSerializer->LastError(), "");
}

TEST_F(SerializerLoad, OnAfterLoadRunsOnlyAfterSuccessAndItsExceptionFailsTheLoad)
{
    int calls = 0;
    FSerializer->SetOnAfterLoad([&](TXMLOptionsSerializer *sender) {
        EXPECT_EQ(sender, FSerializer.get());
        if (++calls == 2)
            throw std::runtime_error("handler refused");
    });
    LoadText(Document("<History><Item/></History>"));
    EXPECT_EQ(calls, 1);
    LoadText(Document("<History><Item/></History>"));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(FTree->History->Count(), 0);
    EXPECT_EQ(FSerializer->LastError(), "handler refused");
    LoadText(Document("<Number>x</Number>"));
    EXPECT_EQ(calls, 2);
}

TEST_F(SerializerLoad, HostileDocumentsEndAtTheDefaults)
{
    std::string nested;
    for (int i = 0; i < 100000; ++i)
        nested += "<a>";
    std::string deepItems;
    for (int i = 0; i < 200; ++i)
        deepItems += "<Limits>";
    const std::string cases[] = {
        std::string("\x00\xFF\xFE garbage \x01\x02", 15),
        Document("<History><Item/>").substr(0, 80),
        "",
        "<?xml version=\"1.0\"?>",
        Document(nested),
        Document("<Text>\xC3\x28\xFF</Text><History><Item/></History><Number>z</Number>"),
        Document(deepItems),
    };
    for (const std::string &content : cases) {
        Prefill();
        LoadText(content);
        ExpectAtDefaults();
        EXPECT_NE(FSerializer->LastError(), "");
    }
}

// A class that contains itself through a list: only the depth limit bounds its reading.
class TTreeNode;
class TTreeList : public TXMLClassList {
public:
    using TXMLClassList::TXMLClassList;
    std::unique_ptr<TXMLClass> CreateItem() override;
};
class TTreeNode : public TXMLClass {
public:
    explicit TTreeNode(TXMLClass *Owner) : TXMLClass(Owner), Children(Create<TTreeList>(this)) {}
    const TPropertyTable &Properties() const override
    {
        static const TPropertyTable Table =
            TPropertyTableOf<TTreeNode>("TTreeNode", TXMLClass::Properties()).Object("Children", &TTreeNode::Children);
        return Table;
    }
    std::unique_ptr<TTreeList> Children;
};
std::unique_ptr<TXMLClass> TTreeList::CreateItem()
{
    return Create<TTreeNode>(this);
}

TEST_F(SerializerLoad, NestingIsReadToALimitedDepth)
{
    auto tree = TXMLClass::Create<TTreeNode>(nullptr);
    FSerializer->SetXMLObject(tree.get());
    auto nest = [](int levels) {
        std::string open, close;
        for (int i = 0; i < levels; ++i) {
            open += "<Children><Item>";
            close += "</Item></Children>";
        }
        return Document(open + close);
    };
    LoadText(nest(20));
    EXPECT_EQ(FSerializer->LastError(), "");
    EXPECT_EQ(tree->Children->Count(), 1);
    LoadText(nest(10000));
    EXPECT_EQ(FSerializer->LastError(), "element Children: objects nest deeper than 64 levels");
    EXPECT_EQ(tree->Children->Count(), 0);
}

TEST_F(SerializerLoad, HugeTextWithinTheLimitLoadsAndAnOversizedFileIsRefused)
{
    LoadText(Document("<Text>" + std::string(1000000, 'x') + "</Text>"));
    EXPECT_EQ(FTree->Text.size(), 1000000u);
    // A sparse file just over the limit: refused by its size, before anything is read.
    test::WriteText(PathOf("doc.xml"), Document("<Text>x</Text>"));
    ASSERT_EQ(::truncate(PathOf("doc.xml").c_str(), off_t(kMaxDocumentBytes) + 1), 0);
    FSerializer->Load();
    EXPECT_EQ(FSerializer->LastError().rfind("file too large: ", 0), 0u) << FSerializer->LastError();
}

TEST_F(SerializerLoad, AHalfMillionItemsLoadAndClear)
{
    std::string items;
    for (int i = 0; i < 500000; ++i)
        items += "<Item/>";
    LoadText(Document("<History>" + items + "</History>"));
    EXPECT_EQ(FTree->History->Count(), 500000);
    FTree->ResetDefaults();
    EXPECT_EQ(FTree->History->Count(), 0);
}

TEST_F(SerializerLoad, ADirectoryInPlaceOfTheFileFails)
{
    FSerializer->SetXMLFilePath(FDir);
    Prefill();
    FSerializer->Load();
    ExpectAtDefaults();
    EXPECT_EQ(FSerializer->LastError(), "not a regular file: " + FDir);
}

TEST_F(SerializerLoad, WithoutAnObjectNothingHappens)
{
    FSerializer->SetXMLObject(nullptr);
    LoadText(Document("<Number>1</Number>"));
    EXPECT_EQ(FSerializer->LastError(), "no XMLObject to load");
    FSerializer->SetXMLObject(FTree.get());
    FSerializer->SetXMLFilePath("");
    FSerializer->Load();
    EXPECT_EQ(FSerializer->LastError(), "no XMLFilePath to load");
}

} // namespace
} // namespace morlith
