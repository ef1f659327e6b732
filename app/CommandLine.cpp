// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

namespace morlith {
namespace {

// What --help says above the options: where the configuration and the ports come from.
#ifdef _WIN32
const char *const kDescription =
    "Updates the firmware of KEV-xxx-BUS modules over a serial line.\n"
    "The configuration (Config.mlhxml) is read from the current folder; the Start-menu\n"
    "entry starts Morlith in %LOCALAPPDATA%\\Morlith. Ports are named as Windows names them\n"
    "(COM3); Device Manager lists them under Ports (COM & LPT).";
#else
const char *const kDescription =
    "Updates the firmware of KEV-xxx-BUS modules over a serial line.\n"
    "The configuration (Config.mlhxml) is read from the current folder, or with\n"
    "--user-config from $XDG_CONFIG_HOME/morlith (by default ~/.config/morlith);\n"
    "the port map is $XDG_CONFIG_HOME/morlith/ports (by default\n"
    "~/.config/morlith/ports).";
#endif

// Options QGuiApplication and QApplication read themselves; accepted here, left out of --help.
const char *const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme",
                                       "plugin", "qwindowgeometry", "qwindowicon",
                                       "qwindowtitle", "style", "stylesheet", "session",
                                       "display", "geometry", "title", "name"};
const char *const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync",
                                      "qmljsdebugger"};

void AddQtOptions(QCommandLineParser &parser)
{
    for (const char *name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kQtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void Print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

TCommandLineOutcome ReadCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    // -V as in morlith-cli, where -v is --verbose.
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    const QCommandLineOption userConfig(
        QStringLiteral("user-config"),
        QStringLiteral("Works in $XDG_CONFIG_HOME/morlith (created if missing) and\n"
                       "keeps Config.mlhxml there; the desktop menu starts morlith so."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(userConfig);
    AddQtOptions(parser);

    if (!parser.parse(arguments)) {
        Print(stderr, QStringLiteral("morlith: %1\nTry 'morlith --help' for more information.\n")
                          .arg(parser.errorText()));
        return {false, kExitUsage};
    }
    if (parser.isSet(help)) {
        // The usage line names the program, not the path it was started by.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: morlith [options]"));
        Print(stdout, text);
        return {false, 0};
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("morlith %1\n").arg(QCoreApplication::applicationVersion()));
        return {false, 0};
    }
    if (!parser.positionalArguments().isEmpty()) {
        Print(stderr, QStringLiteral("morlith: unexpected argument '%1'\n"
                                     "Try 'morlith --help' for more information.\n")
                          .arg(parser.positionalArguments().constFirst()));
        return {false, kExitUsage};
    }
    return {true, 0, parser.isSet(userConfig) ? UserConfigFolder() : QString()};
}

QString UserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/morlith");
}

bool EnterWorkingFolder(const QString &folder)
{
    if (!QDir().mkpath(folder)) {
        Print(stderr, QStringLiteral("morlith: cannot create the folder %1; the configuration "
                                     "stays in %2\n")
                          .arg(folder, QDir::currentPath()));
        return false;
    }
    if (!QDir::setCurrent(folder)) {
        Print(stderr, QStringLiteral("morlith: cannot enter the folder %1; the configuration "
                                     "stays in %2\n")
                          .arg(folder, QDir::currentPath()));
        return false;
    }
    return true;
}

} // namespace morlith
