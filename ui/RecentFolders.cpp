// SPDX-License-Identifier: MIT
#include "RecentFolders.h"

#include "UserPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace morlith {
namespace {

// The settings group holding one entry per kind of file.
QString KeyOf(const QString &kind) { return QStringLiteral("RecentFolders/") + kind; }

} // namespace

TRecentFolders::TRecentFolders(QString settingsFile) : FSettingsFile(std::move(settingsFile)) {}

QString TRecentFolders::DefaultSettingsFile()
{
    return QString::fromStdString(UserSettingsFile("morlith.conf"));
}

QString TRecentFolders::Folder(const QString &kind) const
{
    const QSettings settings(FSettingsFile, QSettings::IniFormat);
    const QString folder = settings.value(KeyOf(kind)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QDir::currentPath();
    return folder;
}

void TRecentFolders::Remember(const QString &kind, const QString &folder)
{
    QSettings settings(FSettingsFile, QSettings::IniFormat);
    settings.setValue(KeyOf(kind), QDir(folder).absolutePath());
    settings.sync();
}

} // namespace morlith
