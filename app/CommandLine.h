// SPDX-License-Identifier: MIT
#pragma once
// The command line of morlith: --help and --version print and end the program; --user-config
// moves the window into the user's configuration folder; anything else it does not know is a
// usage error. Qt's own options (-platform, -style, ...) pass through.

#include <QStringList>

namespace morlith {

// What main does after reading the command line.
struct TCommandLineOutcome {
    // Whether the window is to be started.
    bool RunWindow = false;
    // The exit status when it is not: 0 after --help or --version, 2 on a usage error.
    int ExitCode = 0;
    // The folder to work in (where Config.mlhxml is kept), when not the current one.
    QString WorkingFolder;
};

// Exit status of a usage error.
inline constexpr int kExitUsage = 2;

// Reads `arguments` (program name first); prints help and version on standard output and usage
// errors on standard error. Needs a QCoreApplication.
TCommandLineOutcome ReadCommandLine(const QStringList &arguments);

// The user's configuration folder of morlith: $XDG_CONFIG_HOME/morlith, by default
// ~/.config/morlith.
QString UserConfigFolder();

// Makes `folder` (created if missing) the current folder; on failure says why on standard error
// and stays where it is. Returns whether it moved.
bool EnterWorkingFolder(const QString &folder);

} // namespace morlith
