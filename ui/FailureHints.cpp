#include "FailureHints.h"

#include <QCoreApplication>

namespace morlith {
namespace {

// The context of the hints' translations.
const char *const kHintContext = "morlith::FailureHint";

// The hint for a kind of failure in the terms of the system, in English; null when there is none.
const char *EnglishHint(TFailureKind Kind, THintSystem System)
{
    const bool windows = System == THintSystem::hsWindows;
    switch (Kind) {
    case TFailureKind::fkPermission:
        return windows ? QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "Windows refused access to the port. Check in Device "
                                           "Manager (Ports (COM & LPT)) that the adapter works, and "
                                           "that no policy of this computer keeps serial ports from "
                                           "you.")
                       : QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "On Linux the user needs read and write access to the serial "
                                           "device: install Morlith's udev rule, or join the group that "
                                           "owns the device, then log in again.");
    case TFailureKind::fkBusy:
        return windows ? QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "Another program holds the port. Close it (a terminal "
                                           "program, a second Morlith, the adapter maker's tool) "
                                           "and connect again.")
                       : QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "Another program holds the port. Close it (a terminal program, "
                                           "a second Morlith, ModemManager) and connect again.");
    case TFailureKind::fkNotFound:
        return windows ? QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "Windows has no such COM port. Plug the adapter in, then "
                                           "find its COM number in Device Manager under Ports (COM & "
                                           "LPT); an adapter shown with a warning sign needs its "
                                           "driver.")
                       : QT_TRANSLATE_NOOP("morlith::FailureHint",
                                           "The port has no device. Check that the adapter is plugged in "
                                           "and that the port map links this COM name to it "
                                           "(~/.config/morlith/ports).");
    case TFailureKind::fkNoReply:
        return QT_TRANSLATE_NOOP("morlith::FailureHint",
                                 "The module did not answer. Check its power and wiring, and "
                                 "that it is in bootloader mode.");
    case TFailureKind::fkBadReply:
        return QT_TRANSLATE_NOOP("morlith::FailureHint",
                                 "The reply was garbled. Check the cable and that no other "
                                 "device shares the line.");
    case TFailureKind::fkHangUp:
        return QT_TRANSLATE_NOOP("morlith::FailureHint",
                                 "The port went away. Plug the adapter in again, then connect "
                                 "again.");
    default:
        return nullptr;
    }
}

} // namespace

std::string FailureHint(const TFailure &Failure, THintSystem System)
{
    const char *hint = EnglishHint(Failure.Kind, System);
    return hint ? QCoreApplication::translate(kHintContext, hint).toStdString() : std::string();
}

} // namespace morlith
