// SPDX-License-Identifier: MIT
// Data-segment files on every platform: a write replaces the file as a whole or, when asked,
// keeps the one there; failures carry the system's error number and the file name.

#include "AtomicFile.h"
#include "DataFile.h"
#include "ScratchFolder.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <system_error>

namespace morlith {
namespace {

size_t EntriesIn(const std::string &folder) { return test::NamesIn(folder).size(); }

TEST(DataFileOnEveryPlatform, WriteReplacesAnExistingFileAndLeavesNoScratchFiles)
{
    test::TScratchFolder folder;
    const std::string path = folder.File("segment.bin");
    std::ofstream(path, std::ios::binary) << "an older and longer content";
    const std::vector<uint8_t> bytes = {0, 1, 2, 0xFF, 0x1A, 0x0D, 0x0A};
    EXPECT_FALSE(ReplaceFileAtomically(path, bytes.data(), bytes.size()).Failed());
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(DataFileOnEveryPlatform, KeepingAnExistingFileFailsWithEexistAndLeavesItWhole)
{
    test::TScratchFolder folder;
    const std::vector<uint8_t> first = {1, 2};
    const std::vector<uint8_t> second = {3};
    EXPECT_FALSE(ReplaceFileAtomically(folder.File("a.bin"), first.data(), first.size(), TExistingFile::efKeep).Failed());
    const TFailure kept = ReplaceFileAtomically(folder.File("a.bin"), second.data(), second.size(), TExistingFile::efKeep);
    EXPECT_EQ(kept.Kind, TFailureKind::fkFile);
    EXPECT_EQ(kept.OsError, EEXIST);
    EXPECT_EQ(ReadWholeFile(folder.File("a.bin")), first);
    // Where no file stands, keeping one is no obstacle.
    EXPECT_FALSE(ReplaceFileAtomically(folder.File("b.bin"), second.data(), second.size(), TExistingFile::efKeep).Failed());
    EXPECT_EQ(ReadWholeFile(folder.File("b.bin")), second);
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}

TEST(DataFileOnEveryPlatform, FailuresCarryTheErrorNumberAndTheFileName)
{
    test::TScratchFolder folder;
    const std::string missing = folder.File("missing.bin");
    try {
        ReadWholeFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const std::system_error &error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
    const uint8_t byte = 1;
    const TFailure failure = ReplaceFileAtomically(folder.File("no-folder/segment.bin"), &byte, 1);
    EXPECT_EQ(failure.Kind, TFailureKind::fkFile);
    EXPECT_EQ(failure.OsError, ENOENT);
    EXPECT_EQ(failure.Path, folder.File("no-folder/segment.bin"));
    EXPECT_EQ(EntriesIn(folder.Path()), 0u);
}

} // namespace
} // namespace morlith
