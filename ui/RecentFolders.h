// SPDX-License-Identifier: MIT
#pragma once
// TRecentFolders: the folder last used for each kind of file in a file dialog, remembered
// between runs in the user's settings ($XDG_CONFIG_HOME/morlith/morlith.conf on Linux,
// %LOCALAPPDATA%\Morlith\morlith.conf on Windows).

#include <QString>

namespace morlith {

class TRecentFolders {
public:
    // The folders kept in the settings file at `settingsFile`.
    explicit TRecentFolders(QString settingsFile);

    // The user's settings file, morlith.conf among the user's settings (UserSettingsFile).
    static QString DefaultSettingsFile();

    // The folder last used for files of `kind` ("xml", "bin"); the current folder when none was
    // remembered, the settings cannot be read, or the folder is gone.
    QString Folder(const QString &kind) const;
    // Remembers `folder` for files of `kind`. A settings file that cannot be written is left as
    // it is, silently: the next dialog then opens in the current folder.
    void Remember(const QString &kind, const QString &folder);

private:
    QString FSettingsFile;
};

} // namespace morlith
