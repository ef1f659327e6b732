// SPDX-License-Identifier: MIT
#pragma once
// The world of an interface test: a private folder and port map, the model, the progress and
// countdown dialogs, the answered dialogs, a fast pace clock, and the main window with its pages
// on demand.

#include "FakeDialogs.h"
#include "FastPaceClock.h"
#include "Main.h"
#include "ModuleOnPort.h"

#include <QComboBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

namespace morlith {
class TCountDownDlg;
class TModelDM;
class TProgressDlg;
} // namespace morlith

// Texts in failure messages as they read.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

class UiWorld : public ::testing::Test {
protected:
    UiWorld();
    ~UiWorld() override;

    // The model, created on first use in the test's folder (write Config.mlhxml before).
    morlith::TModelDM &Model();
    // The main window, created on first use after the model.
    morlith::TdlgMain &MainWindow();
    // The main window's control named `name`.
    template <class TWidget>
    TWidget *Find(const char *name)
    {
        auto *widget = MainWindow().findChild<TWidget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Clicks the main window's button named `name`.
    void Click(const char *name);
    // Picks entry `index` of a drop-down list as the operator would.
    static void Pick(QComboBox *list, int index);
    // Destroys the main window (its pages and presenters) now.
    void CloseMainWindow();

    // The dimming overlay on the screen, or null.
    static QWidget *Overlay();
    // Whether the dimming overlay is on the screen.
    static bool OverlayShown() { return Overlay() != nullptr; }
    // Runs the event loop until `done` holds or `timeoutMs` passed; whether it holds.
    static bool WaitUntil(const std::function<bool()> &done, int timeoutMs);

    // Installed first and removed last: every wait of the world passes at once.
    FastPaceClock clock;
    PrivatePortMap ports;
    FakeDialogs dialogs;

private:
    std::filesystem::path FHome;
    std::unique_ptr<morlith::TModelDM> FModel;
    std::unique_ptr<morlith::TProgressDlg> FProgressDlg;
    std::unique_ptr<morlith::TCountDownDlg> FCountDownDlg;
    std::unique_ptr<morlith::TdlgMain> FMainWindow;
};
