// SPDX-License-Identifier: MIT
// The folder each kind of file dialog opens in: remembered across runs in the user's settings,
// and the current folder whenever the settings cannot tell.

#include "DialogsIntf.h"
#include "QtDialogs.h"
#include "RecentFolders.h"
#include "UserPlaces.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace morlith;

namespace {

class RecentFoldersTest : public ::testing::Test {
protected:
    QString Path(const char *name) const { return FTemp.filePath(QString::fromLatin1(name)); }
    QString Folder(const char *name) const
    {
        QDir().mkpath(Path(name));
        return QDir(Path(name)).absolutePath();
    }
    void WriteFile(const char *name, const std::string &bytes) const
    {
        std::ofstream(Path(name).toStdString(), std::ios::binary) << bytes;
    }

    QTemporaryDir FTemp;
};

TEST_F(RecentFoldersTest, EachKindRemembersItsOwnFolderAcrossRuns)
{
    const QString settings = Path("config/morlith/morlith.conf");
    TRecentFolders(settings).Remember("xml", Folder("packages"));
    TRecentFolders(settings).Remember("bin", Folder("dumps"));
    const TRecentFolders nextRun(settings);
    EXPECT_EQ(nextRun.Folder("xml"), Folder("packages"));
    EXPECT_EQ(nextRun.Folder("bin"), Folder("dumps"));
}

TEST_F(RecentFoldersTest, CurrentFolderWhenNothingUsableIsRemembered)
{
    const QString current = QDir::currentPath();
    EXPECT_EQ(TRecentFolders(Path("missing/morlith.conf")).Folder("xml"), current);

    const QString settings = Path("morlith.conf");
    TRecentFolders(settings).Remember("xml", Folder("gone"));
    QDir(Path("gone")).removeRecursively();
    EXPECT_EQ(TRecentFolders(settings).Folder("xml"), current) << "a removed folder is not offered";
}

TEST_F(RecentFoldersTest, CorruptSettingsGiveDefaultsWithoutFailing)
{
    WriteFile("corrupt.conf", std::string("[RecentFolders\n\x01\x02\xff=\n=[[\0junk", 30));
    TRecentFolders folders(Path("corrupt.conf"));
    EXPECT_EQ(folders.Folder("xml"), QDir::currentPath());
    folders.Remember("xml", Folder("packages"));
    EXPECT_EQ(TRecentFolders(Path("corrupt.conf")).Folder("xml"), Folder("packages"))
        << "a choice made after a corrupt file is read is remembered";
}

TEST_F(RecentFoldersTest, UnwritableSettingsAreIgnored)
{
    // A settings folder that cannot be made (its parent is a file): unwritable even for root.
    WriteFile("plain-file", "not a folder");
    const QString settings = Path("plain-file/morlith/morlith.conf");
    TRecentFolders folders(settings);
    folders.Remember("bin", Folder("dumps"));
    EXPECT_EQ(folders.Folder("bin"), QDir::currentPath());
}

TEST_F(RecentFoldersTest, SettingsLiveAmongTheUsersSettings)
{
    EXPECT_EQ(TRecentFolders::DefaultSettingsFile(),
              QString::fromStdString(UserSettingsFile("morlith.conf")));
#ifndef _WIN32
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", Folder("xdg").toLocal8Bit());
    EXPECT_EQ(TRecentFolders::DefaultSettingsFile(), Folder("xdg") + "/morlith/morlith.conf");
    qputenv("XDG_CONFIG_HOME", before);
#endif
}

TEST_F(RecentFoldersTest, FileDialogOpensInTheFolderOfItsKind)
{
    const QString settings = Path("morlith.conf");
    TRecentFolders folders(settings);
    folders.Remember("xml", Folder("packages"));
    folders.Remember("bin", Folder("dumps"));

    QFileDialog appDialog;
    SetUpOpenFileDialog(appDialog, kAppFileFilter, folders);
    EXPECT_EQ(appDialog.directory().absolutePath(), Folder("packages"));
    EXPECT_EQ(appDialog.nameFilters(), QStringList{"ORVEL MCU Application (*.xml)"});
    EXPECT_EQ(appDialog.defaultSuffix(), "xml");
    EXPECT_EQ(appDialog.fileMode(), QFileDialog::AnyFile);

    QFileDialog dataDialog;
    SetUpOpenFileDialog(dataDialog, kDataFileFilter, folders);
    EXPECT_EQ(dataDialog.directory().absolutePath(), Folder("dumps"));
}

} // namespace
