// SPDX-License-Identifier: MIT
// Whole-file reads and writes of documents and a save next to a backup left from before, on every
// platform (a rename or link onto an existing file fails on Windows).

#include "DocumentFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace morlith {
namespace {

using test::ReadFile;
using test::WriteText;

using DocumentFile = test::TempDirTest;
using SaveBesideBackup = test::SerializerTest;

TEST_F(DocumentFile, WriteNeverTruncatesAnExistingFile)
{
    WriteText(PathOf("doc.xml"), "keep");
    std::string error;
    EXPECT_FALSE(WriteWholeFile(PathOf("doc.xml"), "other", error));
    EXPECT_NE(error.find(PathOf("doc.xml")), std::string::npos) << error;
    EXPECT_EQ(ReadFile(PathOf("doc.xml")), "keep");
}

TEST_F(DocumentFile, ReadRefusesMissingFilesFoldersAndFilesOverTheLimit)
{
    std::string content;
    std::string error;
    EXPECT_FALSE(ReadWholeFile(PathOf("missing.xml"), kMaxDocumentBytes, content, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_FALSE(ReadWholeFile(FDir, kMaxDocumentBytes, content, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    WriteText(PathOf("big.xml"), std::string(100, 'x'));
    EXPECT_FALSE(ReadWholeFile(PathOf("big.xml"), 99, content, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    ASSERT_TRUE(ReadWholeFile(PathOf("big.xml"), 100, content, error)) << error;
    EXPECT_EQ(content, std::string(100, 'x'));
}

TEST_F(SaveBesideBackup, ASaveWithAStaleBackupBesideItReplacesTheDocument)
{
    WriteText(PathOf("doc.xml"), "previous");
    WriteText(PathOf("doc.bak"), "stale");
    FTree->Number = 42;
    FSerializer->Save();
    EXPECT_EQ(FSerializer->LastError(), "");
    EXPECT_NE(ReadFile(PathOf("doc.xml")).find("<Number>42</Number>"), std::string::npos) << ReadFile(PathOf("doc.xml"));
    EXPECT_FALSE(test::Exists(PathOf("doc.bak")));
}

} // namespace
} // namespace morlith
