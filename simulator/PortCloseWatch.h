#pragma once
// Notices when the host closes its side of the pseudo-terminal. The module keeps a slave
// descriptor of its own open, so the master never sees a hang-up; instead the slave's device
// node is watched with inotify(7) for closes.

#include <string>

namespace morlith {

// An inotify watch for closes of one device node.
class TPortCloseWatch {
public:
    // Watches `devicePath`; throws std::system_error when it cannot.
    explicit TPortCloseWatch(const std::string &devicePath);
    // Ends the watch.
    ~TPortCloseWatch();
    TPortCloseWatch(const TPortCloseWatch &) = delete;
    TPortCloseWatch &operator=(const TPortCloseWatch &) = delete;

    // The descriptor that becomes readable when a close was noticed.
    int Fd() const { return FFd; }

    // Reads what was noticed without waiting; true when the device was closed at least once
    // since the last call (also when the kernel's event queue overflowed).
    bool TakeCloses();

private:
    int FFd = -1;
};

} // namespace morlith
