#include "DocumentFile.h"
#include "MorlithStore.h"
#include "TestFiles.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace morlith {
namespace {

using test::ExpectSameValues;
using test::Exists;
using test::FillAllKinds;
using test::ReadFile;
using test::TAllKinds;

class SerializerSave : public test::SerializerTest {
protected:
    // Saves a large document under a file size limit, so that writing fails half-way (EFBIG)
    // as it would on a full disk.
    void SaveUnderFileSizeLimit()
    {
        FTree->Text = std::string(100000, 'x');
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        FSerializer->Save();
        setrlimit(RLIMIT_FSIZE, &saved);
    }
};

TEST_F(SerializerSave, WritesTheOutlineByteForByte)
{
    auto store = TXMLClass::Create<TMorlithStore>(nullptr);
    store->FirmwareList().Add()->SetCode("01A2B3C4D5");
    store->FirmwareList().Add()->SetCode("E6F708");
    store->SetProfile("00000008A5C30000");
    FSerializer->SetXMLObject(store.get());
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "");
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                           "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n"
                                           "  <FirmwareList>\r\n"
                                           "    <Item>\r\n"
                                           "      <Code>01A2B3C4D5</Code>\r\n"
                                           "    </Item>\r\n"
                                           "    <Item>\r\n"
                                           "      <Code>E6F708</Code>\r\n"
                                           "    </Item>\r\n"
                                           "  </FirmwareList>\r\n"
                                           "  <Profile>00000008A5C30000</Profile>\r\n"
                                           "</config>\r\n");
}

TEST_F(SerializerSave, WithoutIndentOrVersionControl)
{
    auto store = TXMLClass::Create<TMorlithStore>(nullptr);
    store->SetProfile("AB");
    FSerializer->SetXMLObject(store.get());
    FSerializer->SetNodeAutoIndent(false);
    FSerializer->SetUseVersionControl(false);
    FSerializer->SetRootNodeName("package");
    FSerializer->Save();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                           "<package><FirmwareList/><Profile>AB</Profile></package>");
}

TEST_F(SerializerSave, RoundTripsEveryKind)
{
    FillAllKinds(*FTree);
    FTree->Number = INT32_MIN;
    FTree->WideLetter = u'\uFFFF';
    FSerializer->SetVersion(200);
    FSerializer->Save();

    auto loaded = TXMLClass::Create<TAllKinds>(nullptr);
    auto reader = test::MakeSerializer(*loaded, PathOf("doc.xml"));
    reader->Load();
    EXPECT_EQ(reader->LastError(), "");
    EXPECT_EQ(reader->Version(), 200);
    ExpectSameValues(*loaded, *FTree);
}

TEST_F(SerializerSave, ReplacesThePreviousFileAndLeavesNoBackup)
{
    test::WriteFile(PathOf("doc.xml"), "old");
    test::WriteFile(PathOf("doc.bak"), "stale backup");
    FTree->Number = 5;
    FSerializer->Save();
    EXPECT_NE(ReadFile(PathOf("doc.xml")).find("<Number>5</Number>"), std::string::npos);
    EXPECT_FALSE(Exists(PathOf("doc.bak")));
}

TEST_F(SerializerSave, IntoAMissingFolderWritesNothing)
{
    FSerializer->SetXMLFilePath(PathOf("missing/doc.xml"));
    FSerializer->Save();
    EXPECT_FALSE(Exists(PathOf("missing")));
    EXPECT_EQ(FSerializer->LastError(), "cannot create " + PathOf("missing/doc.xml") + ": No such file or directory");
}

TEST_F(SerializerSave, AFailedWritePutsThePreviousFileBack)
{
    test::WriteFile(PathOf("doc.xml"), "previous content");
    SaveUnderFileSizeLimit();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "previous content");
    EXPECT_FALSE(Exists(PathOf("doc.bak")));
    EXPECT_EQ(FSerializer->LastError().rfind("cannot write " + PathOf("doc.xml") + ": ", 0), 0u) << FSerializer->LastError();
}

TEST_F(SerializerSave, AFailedFirstWriteLeavesNoPartialFile)
{
    SaveUnderFileSizeLimit();
    EXPECT_FALSE(Exists(PathOf("doc.xml")));
}

TEST_F(SerializerSave, WhenNoBackupCanBeMadeThePreviousFileStays)
{
    // A directory with content under the backup name makes the rename fail.
    test::WriteFile(PathOf("doc.xml"), "previous content");
    ASSERT_EQ(::mkdir(PathOf("doc.bak").c_str(), 0755), 0);
    test::WriteFile(PathOf("doc.bak/inside"), "x");
    FSerializer->Save();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "previous content");
    EXPECT_EQ(ReadFile(PathOf("doc.bak/inside")), "x");
    EXPECT_EQ(FSerializer->LastError().rfind("cannot rename ", 0), 0u) << FSerializer->LastError();
}

TEST_F(SerializerSave, ADirectoryInPlaceOfTheFileIsLeftAlone)
{
    ASSERT_EQ(::mkdir(PathOf("doc.xml").c_str(), 0755), 0);
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "not a regular file: " + PathOf("doc.xml"));
    EXPECT_TRUE(Exists(PathOf("doc.xml")));
}

TEST_F(SerializerSave, SavingAFileNamedBakKeepsIt)
{
    FSerializer->SetXMLFilePath(PathOf("doc.bak"));
    FSerializer->Save();
    FSerializer->Save();
    EXPECT_NE(ReadFile(PathOf("doc.bak")).find("<config"), std::string::npos);
    EXPECT_FALSE(Exists(PathOf("doc.bak.bak")));
}

TEST_F(SerializerSave, AnEmptyPathTouchesNothing)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(FDir);
    test::WriteFile(PathOf(".bak"), "someone's file");
    FSerializer->SetXMLFilePath("");
    FSerializer->Save();
    std::filesystem::current_path(previous);
    EXPECT_EQ(ReadFile(PathOf(".bak")), "someone's file");
    EXPECT_EQ(FSerializer->LastError(), "no XMLFilePath to save");
}

TEST(BackupName, ReplacesOrAppendsTheExtension)
{
    EXPECT_EQ(BackupNameFor("/d/Config.mlhxml"), "/d/Config.bak");
    EXPECT_EQ(BackupNameFor("/d/pkg.v2.xml"), "/d/pkg.v2.bak");
    EXPECT_EQ(BackupNameFor("/d.x/noext"), "/d.x/noext.bak");
    EXPECT_EQ(BackupNameFor("/d/.hidden"), "/d/.hidden.bak");
    EXPECT_EQ(BackupNameFor("/d/file.bak"), "/d/file.bak.bak");
}

} // namespace
} // namespace morlith
