// SPDX-License-Identifier: MIT
// Whole-file writes: the file appears whole or not at all, an existing one is kept when asked,
// and a replaced file never takes special bits or a link target's mode; a new one takes the umask.

#include "AtomicFile.h"
#include "DataFile.h"
#include "ScratchFolder.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace morlith {
namespace {

// What stands at the path before a write, and what the write must leave there.
struct TReplaceCase {
    const char *Name;
    enum { Nothing, Regular, LinkToRegular, Folder, NoFolder } Before;
    mode_t BeforeMode; // of the regular file (or the link's target)
    TExistingFile Existing;
    int Error; // 0: the write succeeds
    mode_t AfterMode; // permission bits of the file left at the path (umask 027)
};

const TReplaceCase kReplaceCases[] = {
    {"NewFileTakesTheUmask", TReplaceCase::Nothing, 0, TExistingFile::efReplace, 0, 0640},
    {"NewFileWhenKeeping", TReplaceCase::Nothing, 0, TExistingFile::efKeep, 0, 0640},
    {"ReplacedFileKeepsOnlyItsPermissionBits", TReplaceCase::Regular, 04750, TExistingFile::efReplace, 0, 0750},
    {"ReadOnlyFileIsReplacedAndStaysReadOnly", TReplaceCase::Regular, 0444, TExistingFile::efReplace, 0, 0444},
    {"ExistingFileIsKeptWhenAsked", TReplaceCase::Regular, 0600, TExistingFile::efKeep, EEXIST, 0600},
    {"LinkIsReplacedAndItsTargetLeftAlone", TReplaceCase::LinkToRegular, 04755, TExistingFile::efReplace, 0, 0640},
    {"FolderIsLeftAlone", TReplaceCase::Folder, 0, TExistingFile::efReplace, EISDIR, 0},
    {"MissingFolderLeavesNothing", TReplaceCase::NoFolder, 0, TExistingFile::efReplace, ENOENT, 0},
};

class DataFile : public ::testing::TestWithParam<size_t> {
protected:
    std::string File(const std::string &name) const { return FFolder.File(name); }
    TFailure Write(const std::string &name, const std::vector<uint8_t> &bytes,
                   TExistingFile existing = TExistingFile::efReplace) const
    {
        return ReplaceFileAtomically(File(name), bytes.data(), bytes.size(), existing);
    }
    size_t Entries() const { return test::NamesIn(FFolder.Path()).size(); }
    mode_t Mode(const std::string &name) const
    {
        struct stat info {};
        EXPECT_EQ(::lstat(File(name).c_str(), &info), 0);
        return info.st_mode;
    }

private:
    test::TScratchFolder FFolder{"morlith-datafile-"};
};

TEST_P(DataFile, TheFileIsWholeWithTheRightModeOrUntouched)
{
    const TReplaceCase &c = kReplaceCases[GetParam()];
    const std::vector<uint8_t> previous = {9, 9, 9};
    const std::vector<uint8_t> bytes = {1, 2, 3, 4};
    std::string path = "a.bin";
    switch (c.Before) {
    case TReplaceCase::Regular:
        ASSERT_FALSE(Write("a.bin", previous).Failed());
        ASSERT_EQ(::chmod(File("a.bin").c_str(), c.BeforeMode), 0);
        break;
    case TReplaceCase::LinkToRegular:
        ASSERT_FALSE(Write("target", previous).Failed());
        ASSERT_EQ(::chmod(File("target").c_str(), c.BeforeMode), 0);
        ASSERT_EQ(::symlink("target", File("a.bin").c_str()), 0);
        break;
    case TReplaceCase::Folder:
        ASSERT_EQ(::mkdir(File("a.bin").c_str(), 0755), 0);
        break;
    case TReplaceCase::NoFolder:
        path = "missing/a.bin";
        break;
    case TReplaceCase::Nothing:
        break;
    }
    const size_t entriesBefore = Entries();
    const mode_t umaskBefore = ::umask(027);
    const TFailure failure = Write(path, bytes, c.Existing);
    ::umask(umaskBefore);

    EXPECT_EQ(Entries(), entriesBefore + (c.Before == TReplaceCase::Nothing ? 1 : 0)) << "a temporary file is left";
    if (c.Error != 0) {
        EXPECT_EQ(failure.Kind, TFailureKind::fkFile);
        EXPECT_EQ(failure.OsError, c.Error) << failure;
        EXPECT_EQ(failure.Path, File(path));
        if (c.Before == TReplaceCase::Regular) {
            EXPECT_EQ(ReadWholeFile(File(path)), previous);
        }
        if (c.Before == TReplaceCase::Folder) {
            EXPECT_TRUE(S_ISDIR(Mode(path)));
        }
    } else {
        EXPECT_FALSE(failure.Failed()) << failure;
        EXPECT_EQ(ReadWholeFile(File(path)), bytes);
        EXPECT_TRUE(S_ISREG(Mode(path)));
        EXPECT_EQ(Mode(path) & 07777, c.AfterMode);
    }
    if (c.Before == TReplaceCase::LinkToRegular) {
        EXPECT_EQ(ReadWholeFile(File("target")), previous);
        EXPECT_EQ(Mode("target") & 07777, c.BeforeMode);
    }
}

INSTANTIATE_TEST_SUITE_P(WhatStandsThere, DataFile, ::testing::Range(size_t(0), std::size(kReplaceCases)),
                         [](const ::testing::TestParamInfo<size_t> &param) { return std::string(kReplaceCases[param.param].Name); });

using DataFileFolder = DataFile;

// A killed run leaves its hidden temporary file behind; the next write in that folder removes it
// once the process that made it is gone, and leaves those of running processes alone.
TEST_F(DataFileFolder, TemporariesOfEndedProcessesAreRemovedByALaterWrite)
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const std::string abandoned = ".morlith-cli-" + std::to_string(ended) + "-abcdef";
    // A configuration save's temporary names its file too.
    const std::string abandonedSave = ".morlith-Config.mlhxml-" + std::to_string(ended) + "-00000a";
    const std::string running = ".morlith-" + std::to_string(::getppid()) + "-abcdef";
    for (const std::string &name : {abandoned, abandonedSave, running, std::string(".morlith-notes")})
        std::ofstream(File(name)) << "left";
    ASSERT_FALSE(Write("a.bin", {1}).Failed());
    EXPECT_FALSE(std::filesystem::exists(File(abandoned)));
    EXPECT_FALSE(std::filesystem::exists(File(abandonedSave)));
    EXPECT_TRUE(std::filesystem::exists(File(running)));
    EXPECT_TRUE(std::filesystem::exists(File(".morlith-notes")));
}

} // namespace
} // namespace morlith
