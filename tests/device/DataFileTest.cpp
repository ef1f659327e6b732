// SPDX-License-Identifier: MIT
// Whole-file writes: the file appears whole or not at all, an existing one is kept when asked,
// and a replaced file never takes special bits or a link target's mode.

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

class DataFile : public ::testing::Test {
protected:
    std::string File(const std::string &name) const { return FFolder.File(name); }
    void Write(const std::string &name, const std::vector<uint8_t> &bytes) const
    {
        WriteFileAtomically(File(name), bytes.data(), bytes.size());
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

TEST_F(DataFile, AReplacedFileKeepsOnlyItsPermissionBits)
{
    Write("a.bin", {1});
    ASSERT_EQ(::chmod(File("a.bin").c_str(), 04750), 0);
    Write("a.bin", {2});
    EXPECT_EQ(Mode("a.bin") & 07777, 0750u);
}

TEST_F(DataFile, ALinkIsReplacedAndItsTargetLeftAlone)
{
    Write("target", {9});
    ASSERT_EQ(::chmod(File("target").c_str(), 04755), 0);
    ASSERT_EQ(::symlink("target", File("link").c_str()), 0);
    Write("link", {1, 2, 3});
    EXPECT_TRUE(S_ISREG(Mode("link")));
    EXPECT_EQ(Mode("link") & 07000, 0u);
    EXPECT_EQ(ReadWholeFile(File("target")), std::vector<uint8_t>{9});
    EXPECT_EQ(Mode("target") & 07777, 04755u);
}

TEST_F(DataFile, AFailedWriteLeavesNothing)
{
    EXPECT_THROW(Write("missing/a.bin", {1}), std::system_error);
    EXPECT_EQ(Entries(), 0u);
}

// A killed run leaves its hidden temporary file behind; the next write in that folder removes it
// once the process that made it is gone, and leaves those of running processes alone.
TEST_F(DataFile, TemporariesOfEndedProcessesAreRemovedByALaterWrite)
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
    Write("a.bin", {1});
    EXPECT_FALSE(std::filesystem::exists(File(abandoned)));
    EXPECT_FALSE(std::filesystem::exists(File(abandonedSave)));
    EXPECT_TRUE(std::filesystem::exists(File(running)));
    EXPECT_TRUE(std::filesystem::exists(File(".morlith-notes")));
}

} // namespace
} // namespace morlith
