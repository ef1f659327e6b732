// SPDX-License-Identifier: MIT
#pragma once
// How the system ends the application: on Linux SIGINT and SIGTERM (the demo script and a desktop
// session stop it this way), on Windows logoff and shutdown. Either way the application closes in
// its usual order, and an operation on the module holds the end back until it has finished.

#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace morlith {

class TSessionEnd {
public:
    // Whether the application may end now (false while an operation runs).
    using TCanEnd = std::function<bool()>;

    // First thing in main, before the QApplication and any other thread exist (on Linux the
    // signals are blocked here so that every thread inherits the mask).
    TSessionEnd();
    TSessionEnd(const TSessionEnd &) = delete;
    TSessionEnd &operator=(const TSessionEnd &) = delete;

    // Starts watching, once the QApplication and `mainWindow` exist; the watch ends with the
    // object returned, which must go before the window and the QApplication.
    std::unique_ptr<QObject> Watch(QWidget &mainWindow, TCanEnd canEnd);

private:
    // The descriptor that reads the blocked signals (Linux), or -1.
    int FSignalFd = -1;
};

} // namespace morlith
