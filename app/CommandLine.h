#pragma once
// The command line of morlith: --help and --version print and end the program; anything else
// it does not know is a usage error. Qt's own options (-platform, -style, ...) pass through.

#include <QStringList>

namespace morlith {

// What main does after reading the command line.
struct TCommandLineOutcome {
    // Whether the window is to be started.
    bool RunWindow = false;
    // The exit status when it is not: 0 after --help or --version, 2 on a usage error.
    int ExitCode = 0;
};

// Exit status of a usage error.
inline constexpr int kExitUsage = 2;

// Reads `arguments` (program name first); prints help and version on standard output and usage
// errors on standard error. Needs a QCoreApplication.
TCommandLineOutcome ReadCommandLine(const QStringList &arguments);

} // namespace morlith
