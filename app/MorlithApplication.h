// SPDX-License-Identifier: MIT
#pragma once
// The objects of one run of the application, created in the start order and destroyed in the
// reverse order: the model, the main window with its pages, the progress dialog, the countdown.

#include <memory>

namespace morlith {

class TCountDownDlg;
class TdlgMain;
class TModelDM;
class TProgressDlg;

// The application's title.
inline constexpr const char *kApplicationTitle = "Morlith";
// The name of its desktop entry (morlith.desktop's installed name, without ".desktop"); desktops
// match the window to the entry's icon and name by it.
inline constexpr const char *kDesktopFileName = "org.morlith.Morlith";

// Sets the application's name and version; needs a QCoreApplication.
void SetApplicationIdentity();

// Needs the QApplication to exist. The model's configuration is read from the current folder.
class TMorlithApplication {
public:
    // Titles the application, gives it its icon, desktop entry and the user's language, binds
    // the driver's polling to Qt timers, then creates the model, the main window (pages and
    // presenters), the progress dialog and the countdown, hidden.
    TMorlithApplication();
    // Destroys the countdown, the progress dialog, the main window (releasing the pages'
    // presenters, the loader and the configuration) and the model last, which closes the port.
    ~TMorlithApplication();
    TMorlithApplication(const TMorlithApplication &) = delete;
    TMorlithApplication &operator=(const TMorlithApplication &) = delete;

    // Shows the main window and runs the event loop until it is closed; the loop's exit code.
    int Run();

    // The main window.
    TdlgMain &MainWindow() const { return *FMainWindow; }

private:
    std::unique_ptr<TModelDM> FModel;
    std::unique_ptr<TdlgMain> FMainWindow;
    std::unique_ptr<TProgressDlg> FProgressDlg;
    std::unique_ptr<TCountDownDlg> FCountDownDlg;
};

} // namespace morlith
