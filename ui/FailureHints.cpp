// SPDX-License-Identifier: MIT
#include "FailureHints.h"

#include "FailureWords.h"
#include "PortMap.h"

#include <QCoreApplication>

#include <cstddef>

namespace morlith {
namespace {

// The context of the hints' translations.
const char *const kHintContext = "morlith::FailureHint";

// What to do about a kind of failure, in English; "%1" stands for the port map folder.
struct THintRow {
    TFailureKind Kind;
    const char *Hint;
};

// Hints in Linux terms; looked at before the common ones.
const THintRow kLinuxHints[] = {
    {TFailureKind::fkPermission,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "On Linux the user needs read and write access to the serial device: "
                       "install Morlith's udev rule, or join the group that owns the device, "
                       "then log in again.")},
    {TFailureKind::fkNotFound,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Check that the adapter is plugged in and that the port map links this "
                       "COM name to it (%1).")},
    {TFailureKind::fkBusy,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Another program holds the port. Close it (a terminal program, a second "
                       "Morlith, ModemManager) and connect again.")},
};

// Hints in Windows terms, where COM<n> are the devices themselves.
const THintRow kWindowsHints[] = {
    {TFailureKind::fkPermission,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Windows refused access to the port. Check in Device Manager (Ports (COM & "
                       "LPT)) that the adapter works, and that no policy of this computer keeps "
                       "serial ports from you.")},
    {TFailureKind::fkNotFound,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Windows has no such COM port. Plug the adapter in, then find its COM "
                       "number in Device Manager under Ports (COM & LPT); an adapter shown with "
                       "a warning sign needs its driver.")},
    {TFailureKind::fkBusy,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Another program holds the port. Close it (a terminal program, a second "
                       "Morlith, the adapter maker's tool) and connect again.")},
};

const THintRow kCommonHints[] = {
    {TFailureKind::fkNoReply,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Check the module's power and wiring, and that it is in bootloader "
                       "mode.")},
    {TFailureKind::fkBadReply,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Check the cable and that no other device shares the line.")},
    {TFailureKind::fkHangUp,
     QT_TRANSLATE_NOOP("morlith::FailureHint",
                       "Plug the adapter in again, then connect again.")},
};

// What to do about the configuration file that could not be saved.
const char *const kSaveHint = QT_TRANSLATE_NOOP(
    "morlith::FailureHint",
    "Check that the folder can be written and that the configuration file is an ordinary file "
    "you may write. The previous configuration is kept.");

// What a module holding part of an application needs.
const char *const kPartialApplicationHint = QT_TRANSLATE_NOOP(
    "morlith::FailureHint",
    "The module now holds a partial application and will not run it. Connect again and write "
    "the application again; the module stays in its bootloader until a write succeeds.");

// The hint of `Table` for `Kind`; null when it has none.
template <std::size_t N>
const char *FindHint(const THintRow (&Table)[N], TFailureKind Kind)
{
    for (const THintRow &row : Table)
        if (row.Hint && row.Kind == Kind)
            return row.Hint;
    return nullptr;
}

const char *EnglishHint(const TFailure &Failure, THintSystem System)
{
    if (Failure.Step == kSaveConfigurationStep)
        return kSaveHint;
    const char *platform = System == THintSystem::hsWindows ? FindHint(kWindowsHints, Failure.Kind)
                                                            : FindHint(kLinuxHints, Failure.Kind);
    if (platform)
        return platform;
    return FindHint(kCommonHints, Failure.Kind);
}

// The port map folder as the hints name it.
QString PortMapFolder()
{
#ifdef _WIN32
    return QString();
#else
    return QString::fromStdString(PortMapDirectory());
#endif
}

QString Translated(const char *Hint) { return QCoreApplication::translate(kHintContext, Hint); }

} // namespace

std::string FailureHint(const TFailure &Failure, THintSystem System)
{
    QStringList hints;
    if (const char *hint = EnglishHint(Failure, System)) {
        QString text = Translated(hint);
        if (text.contains(QLatin1String("%1")))
            text = text.arg(PortMapFolder());
        hints << text;
    }
    if (LeavesPartialApplication(Failure))
        hints << Translated(kPartialApplicationHint);
    return hints.join(QStringLiteral("\n\n")).toStdString();
}

} // namespace morlith
