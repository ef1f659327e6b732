// SPDX-License-Identifier: MIT
// The file platform layer on the real file system: exclusive creation, replacing and placing
// files, what reading finds, and names in any script.

#include "FileHandle.h"
#include "PathText.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace morlith {
namespace {

std::string Content(const std::string &path)
{
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) : "<missing>";
}

void Put(const std::string &path, const std::string &text)
{
    std::ofstream(PathFromUtf8(path), std::ios::binary) << text;
}

class FileHandle : public ::testing::Test {
protected:
    test::TScratchFolder Folder;
};

TEST_F(FileHandle, CreateNewRefusesAnExistingFileAndLeavesItAlone)
{
    Put(Folder.File("taken"), "keep");
    TFileHandle file;
    EXPECT_FALSE(file.CreateNew(Folder.File("taken")));
    EXPECT_EQ(file.LastError(), EEXIST);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(Content(Folder.File("taken")), "keep");

    ASSERT_TRUE(file.CreateNew(Folder.File("fresh")));
    ASSERT_TRUE(file.WriteAll("abc", 3));
    EXPECT_TRUE(file.Sync());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Content(Folder.File("fresh")), "abc");
}

TEST_F(FileHandle, TemporaryFilesAreNewAndDistinct)
{
    std::set<std::string> paths;
    for (int i = 0; i < 20; ++i) {
        TFileHandle file;
        std::string path;
        ASSERT_TRUE(file.CreateTemporary(Folder.Path(), ".scratch-", path)) << file.LastError();
        EXPECT_EQ(path.rfind(Folder.File(".scratch-"), 0), 0u) << path;
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 20u);
    TFileHandle file;
    std::string path;
    EXPECT_FALSE(file.CreateTemporary(Folder.File("no-folder"), ".scratch-", path));
    EXPECT_EQ(file.LastError(), ENOENT);
}

TEST_F(FileHandle, RenameOverReplacesTheTargetAndPlaceNeverDoes)
{
    Put(Folder.File("a"), "first");
    Put(Folder.File("target"), "old");
    int error = 0;
    ASSERT_TRUE(RenameOver(Folder.File("a"), Folder.File("target"), error)) << error;
    EXPECT_EQ(Content(Folder.File("target")), "first");
    EXPECT_EQ(Content(Folder.File("a")), "<missing>");

    Put(Folder.File("b"), "second");
    EXPECT_FALSE(PlaceNewFile(Folder.File("b"), Folder.File("target"), error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(Content(Folder.File("target")), "first");
    EXPECT_EQ(Content(Folder.File("b")), "second");

    ASSERT_TRUE(PlaceNewFile(Folder.File("b"), Folder.File("placed"), error)) << error;
    EXPECT_EQ(Content(Folder.File("placed")), "second");
    EXPECT_EQ(Content(Folder.File("b")), "<missing>");
}

TEST_F(FileHandle, ReadingFindsRegularFilesFoldersAndMissingOnes)
{
    Put(Folder.File("data"), "0123456789");
    TFileHandle file;
    ASSERT_TRUE(file.OpenForReading(Folder.File("data")));
    uint64_t size = 0;
    EXPECT_TRUE(file.IsRegularFile(size));
    EXPECT_EQ(size, 10u);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 10);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);

    TFileHandle folder;
    ASSERT_TRUE(folder.OpenForReading(Folder.Path()));
    EXPECT_FALSE(folder.IsRegularFile(size));

    TFileHandle missing;
    EXPECT_FALSE(missing.OpenForReading(Folder.File("missing")));
    EXPECT_EQ(missing.LastError(), ENOENT);
    EXPECT_EQ(FolderWriteProblem(Folder.File("missing")), ENOENT);
    EXPECT_EQ(FolderWriteProblem(Folder.Path()), 0);
}

TEST_F(FileHandle, NamesInAnyScriptAreMadeReadReplacedAndRemoved)
{
    for (const std::string name : {"данные.bin", "データ.bin", "naïve café.bin"}) {
        const std::string path = Folder.File(name);
        TFileHandle file;
        ASSERT_TRUE(file.CreateNew(path)) << name << ": " << file.LastError();
        ASSERT_TRUE(file.WriteAll("abc", 3));
        ASSERT_TRUE(file.Close());
        ASSERT_TRUE(file.OpenForReading(path)) << name;
        char buffer[8] = {};
        EXPECT_EQ(file.Read(buffer, sizeof buffer), 3) << name;
        ASSERT_TRUE(file.Close());
        // The name the file system holds is the name given, not its bytes in another code page.
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Folder.Path()) / std::filesystem::u8path(name)));

        Put(Folder.File("выход.bin"), "old");
        int error = 0;
        ASSERT_TRUE(RenameOver(path, Folder.File("выход.bin"), error)) << name << ": " << error;
        EXPECT_EQ(Content(Folder.File("выход.bin")), "abc") << name;
        EXPECT_TRUE(RemoveFile(Folder.File("выход.bin")));
        EXPECT_EQ(Content(Folder.File("выход.bin")), "<missing>");
    }
    EXPECT_TRUE(RemoveFile(Folder.File("never-there"))) << "a file that is not there is removed already";
}

TEST_F(FileHandle, RenameOverReplacesAReadOnlyTarget)
{
    Put(Folder.File("new"), "new");
    Put(Folder.File("locked"), "old");
    namespace fs = std::filesystem;
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(PathFromUtf8(Folder.File("locked")), writable, fs::perm_options::remove);
    int error = 0;
    ASSERT_TRUE(RenameOver(Folder.File("new"), Folder.File("locked"), error)) << error;
    EXPECT_EQ(Content(Folder.File("locked")), "new");
}

} // namespace
} // namespace morlith
