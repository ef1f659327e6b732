// SPDX-License-Identifier: MIT
#include "DocumentFile.h"
#include "MorlithStore.h"
#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

using test::ExpectSameValues;
using test::Exists;
using test::FillAllKinds;
using test::ReadFile;
using test::TAllKinds;

// Values at the edges of their text forms.
class TEdgeValues : public TXMLClass {
public:
    enum class TWide : std::uint32_t { wdLow = 1, wdHigh = 0xF0000000u };
    using TXMLClass::TXMLClass;
    const TPropertyTable &Properties() const override
    {
        static const TPropertyTable Table = TPropertyTableOf<TEdgeValues>("TEdgeValues", TXMLClass::Properties())
                                                .Integer("Count", &TEdgeValues::Count)
                                                .Set("Mask", &TEdgeValues::Mask)
                                                .Enumeration("Wide", &TEdgeValues::Wide)
                                                .String("Note", &TEdgeValues::Note);
        return Table;
    }
    std::uint32_t Count = 0;
    std::uint32_t Mask = 0;
    TWide Wide = TWide::wdLow;
    std::string Note;
};

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
    // The names in the test's folder, sorted, hidden ones included.
    std::string FolderEntries() const
    {
        std::string joined;
        for (const std::string &name : test::NamesIn(FDir))
            joined += (joined.empty() ? "" : " ") + name;
        return joined;
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

TEST_F(SerializerSave, UnsignedValuesAboveTwoToTheThirtyOneAndCarriageReturnsComeBack)
{
    auto saved = TXMLClass::Create<TEdgeValues>(nullptr);
    saved->Count = 4294967295u;
    saved->Mask = 0x80000001u;
    saved->Wide = TEdgeValues::TWide::wdHigh;
    saved->Note = "line one\r\nline two\rthree\nfour";
    FSerializer->SetXMLObject(saved.get());
    FSerializer->Save();
    ASSERT_EQ(FSerializer->LastError(), "");
    const std::string text = ReadFile(PathOf("doc.xml"));
    EXPECT_EQ(text.find("\r\r"), std::string::npos) << text;

    auto loaded = TXMLClass::Create<TEdgeValues>(nullptr);
    auto reader = test::MakeSerializer(*loaded, PathOf("doc.xml"));
    reader->Load();
    EXPECT_EQ(reader->LastError(), "");
    EXPECT_EQ(loaded->Count, 4294967295u);
    EXPECT_EQ(loaded->Mask, 0x80000001u);
    EXPECT_EQ(loaded->Wide, TEdgeValues::TWide::wdHigh);
    EXPECT_EQ(loaded->Note, saved->Note);
}

TEST_F(SerializerSave, ReplacesThePreviousFileAndLeavesNoBackup)
{
    test::WriteText(PathOf("doc.xml"), "old");
    test::WriteText(PathOf("doc.bak"), "stale backup");
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

TEST_F(SerializerSave, AFailedWriteKeepsThePreviousFileAndItsBackup)
{
    test::WriteText(PathOf("doc.xml"), "previous content");
    SaveUnderFileSizeLimit();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "previous content");
    EXPECT_EQ(ReadFile(PathOf("doc.bak")), "previous content");
    EXPECT_EQ(FSerializer->LastError().rfind("cannot write " + PathOf("doc.xml") + ": ", 0), 0u) << FSerializer->LastError();
    EXPECT_EQ(FolderEntries(), "doc.bak doc.xml") << "no temporary file is left";
}

TEST_F(SerializerSave, AFailedFirstWriteLeavesNoPartialFile)
{
    SaveUnderFileSizeLimit();
    EXPECT_EQ(FolderEntries(), "");
}

TEST_F(SerializerSave, ASymbolicLinkStaysALinkAndItsTargetIsReplaced)
{
    ASSERT_EQ(::mkdir(PathOf("real").c_str(), 0755), 0);
    test::WriteText(PathOf("real/doc.xml"), "previous content");
    ASSERT_EQ(::symlink("real/doc.xml", PathOf("doc.xml").c_str()), 0);
    FTree->Number = 5;
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "");
    struct stat info {};
    ASSERT_EQ(::lstat(PathOf("doc.xml").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(ReadFile(PathOf("real/doc.xml")).find("<Number>5</Number>"), std::string::npos);
    EXPECT_FALSE(Exists(PathOf("real/doc.bak")));

    // A dangling link gets its target created.
    ASSERT_EQ(::symlink("real/new.xml", PathOf("dangling.xml").c_str()), 0);
    FSerializer->SetXMLFilePath(PathOf("dangling.xml"));
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "");
    EXPECT_NE(ReadFile(PathOf("real/new.xml")).find("<Number>5</Number>"), std::string::npos);
}

TEST_F(SerializerSave, TheFileKeepsItsPermissionBits)
{
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664)}) {
        test::WriteText(PathOf("doc.xml"), "previous content");
        ASSERT_EQ(::chmod(PathOf("doc.xml").c_str(), mode), 0);
        FSerializer->Save();
        EXPECT_EQ(FSerializer->LastError(), "");
        struct stat info {};
        ASSERT_EQ(::stat(PathOf("doc.xml").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
    }
    // A new file gets 0666 less the umask.
    const mode_t previous = ::umask(027);
    FSerializer->SetXMLFilePath(PathOf("new.xml"));
    FSerializer->Save();
    ::umask(previous);
    struct stat info {};
    ASSERT_EQ(::stat(PathOf("new.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode_t(0640));
}

TEST_F(SerializerSave, AReadOnlyFolderFailsAndKeepsEveryFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    test::WriteText(PathOf("doc.xml"), "previous content");
    test::WriteText(PathOf("doc.bak"), "older backup");
    ASSERT_EQ(::chmod(FDir.c_str(), 0555), 0);
    FSerializer->Save();
    ::chmod(FDir.c_str(), 0755);
    EXPECT_NE(FSerializer->LastError().find("Permission denied"), std::string::npos) << FSerializer->LastError();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "previous content");
    EXPECT_EQ(ReadFile(PathOf("doc.bak")), "older backup");
}

TEST_F(SerializerSave, WhenNoBackupCanBeMadeThePreviousFileStays)
{
    // A directory with content under the backup name makes the rename fail.
    test::WriteText(PathOf("doc.xml"), "previous content");
    ASSERT_EQ(::mkdir(PathOf("doc.bak").c_str(), 0755), 0);
    test::WriteText(PathOf("doc.bak/inside"), "x");
    FSerializer->Save();
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "previous content");
    EXPECT_EQ(ReadFile(PathOf("doc.bak/inside")), "x");
    EXPECT_EQ(FSerializer->LastError().rfind("cannot make the backup ", 0), 0u) << FSerializer->LastError();
}

TEST_F(SerializerSave, ADirectoryInPlaceOfTheFileIsLeftAlone)
{
    ASSERT_EQ(::mkdir(PathOf("doc.xml").c_str(), 0755), 0);
    test::WriteText(PathOf("doc.bak"), "older backup");
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "not a regular file: " + PathOf("doc.xml"));
    EXPECT_TRUE(Exists(PathOf("doc.xml")));
    EXPECT_EQ(ReadFile(PathOf("doc.bak")), "older backup");
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
    test::WriteText(PathOf(".bak"), "someone's file");
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
