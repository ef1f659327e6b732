// SPDX-License-Identifier: MIT
#pragma once
// TProgressDlg: the percentage of an application write, refreshed at most about ten times a
// second; each refresh lets the toolkit process pending events so the screen stays painted.

#include <QWidget>

#include <chrono>

class QLabel;
class QProgressBar;

namespace morlith {

// Borderless, shown (not modally) centred on its owner while the Loading page writes.
class TProgressDlg : public QWidget {
    Q_OBJECT

public:
    // A refresh needs strictly more than this since the last one, in milliseconds.
    static constexpr int kRefreshIntervalMs = 100;

    // Creates the hidden dialog; `owner` is the window it centres on.
    explicit TProgressDlg(QWidget *owner = nullptr);

    // Shows `Percent` (bar clamped to 0..100) if more than kRefreshIntervalMs passed since the
    // last refresh, then processes pending events; otherwise drops it.
    void SetProgress(int32_t Percent);

protected:
    void showEvent(QShowEvent *event) override;
    // The dialog goes only when the write it shows has ended: a close request is refused.
    void closeEvent(QCloseEvent *event) override;

private:
    using TClock = std::chrono::steady_clock;

    void FormCreate();
    // Centres the dialog on its owner (on the screen without one).
    void CentreOnOwner();

    QWidget *FOwner;
    QLabel *FlbProcess = nullptr;
    QProgressBar *FProgress = nullptr;
    TClock::time_point FLastUpdate;
};

// The application's progress dialog: created at start, after the main window, and freed at the
// end; null until then.
extern TProgressDlg *ProgressDlg;

} // namespace morlith
