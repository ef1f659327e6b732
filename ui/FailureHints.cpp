#include "FailureHints.h"

namespace morlith {

std::string FailureHint(const TFailure &Failure)
{
    switch (Failure.Kind) {
    case TFailureKind::fkPermission:
        return "On Linux the user needs read and write access to the serial device: install "
               "Morlith's udev rule, or join the group that owns the device, then log in again.";
    case TFailureKind::fkBusy:
        return "Another program holds the port. Close it (a terminal program, a second Morlith, "
               "ModemManager) and connect again.";
    case TFailureKind::fkNotFound:
        return "The port has no device. Check that the adapter is plugged in and that the port "
               "map links this COM name to it (~/.config/morlith/ports).";
    case TFailureKind::fkNoReply:
        return "The module did not answer. Check its power and wiring, and that it is in "
               "bootloader mode.";
    case TFailureKind::fkBadReply:
        return "The reply was garbled. Check the cable and that no other device shares the line.";
    case TFailureKind::fkHangUp:
        return "The port went away. Plug the adapter in again, then connect again.";
    default:
        return "";
    }
}

} // namespace morlith
