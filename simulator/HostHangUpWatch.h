// SPDX-License-Identifier: MIT
#pragma once
// Notices when the host hangs up its side of the pseudo-terminal. The module keeps a slave
// descriptor of its own open, so the master never sees a hang-up; instead the slave's device
// node is watched with inotify(7) for opens and closes, and the host has hung up when the last
// descriptor opened since the watch began is closed. A second program that opens the port and
// closes it again (one refused as busy) leaves a host that still holds it undisturbed.

#include <string>

namespace morlith {

// An inotify watch that counts the open descriptions of one device node.
class THostHangUpWatch {
public:
    // Watches `devicePath`; throws std::system_error when it cannot.
    explicit THostHangUpWatch(const std::string &devicePath);
    // Ends the watch.
    ~THostHangUpWatch();
    THostHangUpWatch(const THostHangUpWatch &) = delete;
    THostHangUpWatch &operator=(const THostHangUpWatch &) = delete;

    // The descriptor that becomes readable when an open or a close was noticed.
    int Fd() const { return FFd; }

    // Reads what was noticed without waiting; true when the host hung up at least once since the
    // last call (also when the kernel's event queue overflowed and the count was lost).
    bool TakeHangUps();

private:
    int FFd = -1;
    unsigned FOpen = 0; // descriptions opened since the watch began and not yet closed
};

} // namespace morlith
