// SPDX-License-Identifier: MIT
// morlith's command line, run as a user runs it: --help and --version print and end without a
// display; anything unknown is a usage error (exit 2) that names what was wrong.

#include "CommandLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the morlith program with `arguments` where no display can be reached: a window would
// fail to open, so a passing run proves none was needed.
ProgramRun RunMorlith(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MORLITH_GUI_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(MorlithCommandLine, HelpAndVersionPrintAndEndWithoutADisplay)
{
    for (const char *option : {"--help", "-h"}) {
        const ProgramRun help = RunMorlith({QString::fromLatin1(option)});
        EXPECT_EQ(help.exitCode, 0) << option;
        EXPECT_TRUE(help.out.startsWith("Usage: morlith [options]")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("--version"));
    }
    for (const char *option : {"--version", "-V"}) {
        const ProgramRun version = RunMorlith({QString::fromLatin1(option)});
        EXPECT_EQ(version.exitCode, 0) << option;
        EXPECT_EQ(version.out, QStringLiteral("morlith %1\n").arg(MORLITH_VERSION));
    }
}

TEST(MorlithCommandLine, UnknownOptionsAndArgumentsAreUsageErrors)
{
    const std::pair<QStringList, const char *> cases[] = {
        {{"--bogus"}, "bogus"},
        {{"firmware.xml"}, "firmware.xml"},
        {{"--help-all"}, "help-all"},
        {{"--platform"}, "platform"},
        {{"-v"}, "v"}, // -v is morlith-cli's --verbose; the window has no such option
    };
    for (const auto &[arguments, named] : cases) {
        const ProgramRun run = RunMorlith(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(named))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("morlith --help")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// --user-config: the window started from the desktop menu keeps its configuration in the user's
// configuration folder, created when missing; a folder that cannot be made leaves it where it is.
TEST(MorlithCommandLine, UserConfigWorksInTheUserConfigurationFolder)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QString savedCurrent = QDir::currentPath();
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());

    const morlith::TCommandLineOutcome plain = morlith::ReadCommandLine({"morlith"});
    EXPECT_TRUE(plain.RunWindow);
    EXPECT_TRUE(plain.WorkingFolder.isEmpty()) << "without the option: the current folder";

    const morlith::TCommandLineOutcome fromMenu =
        morlith::ReadCommandLine({"morlith", "--user-config"});
    EXPECT_TRUE(fromMenu.RunWindow);
    EXPECT_EQ(fromMenu.WorkingFolder, home.path() + "/morlith");
    EXPECT_TRUE(morlith::EnterWorkingFolder(fromMenu.WorkingFolder));
    EXPECT_EQ(QDir::currentPath(), home.path() + "/morlith");

    // A plain file where the folder should be: no folder, no move.
    QFile blocker(home.path() + "/blocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(morlith::EnterWorkingFolder(home.path() + "/blocked/morlith"));
    EXPECT_EQ(QDir::currentPath(), home.path() + "/morlith");

    QDir::setCurrent(savedCurrent);
    if (savedXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedXdg);
}

} // namespace
