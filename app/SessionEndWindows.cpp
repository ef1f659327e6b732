// SPDX-License-Identifier: MIT
#include "SessionEnd.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>

#include <windows.h>

namespace morlith {
namespace {

// Windows asks every program before logoff or shutdown (WM_QUERYENDSESSION, which Qt turns into
// commitDataRequest). While an operation runs the answer is no, and the reason is registered with
// the window, so that Windows shows the operator why Morlith holds the session; the reason is
// withdrawn as soon as the operation has ended.
class TSessionHold : public QObject {
public:
    // How often a held-back end looks again whether the operation has ended, in milliseconds.
    static constexpr int kRetryMs = 200;

    TSessionHold(QWidget &window, TSessionEnd::TCanEnd canEnd)
        : FWindow(window), FCanEnd(std::move(canEnd))
    {
        FRetry.setInterval(kRetryMs);
        connect(&FRetry, &QTimer::timeout, this, [this] { Release(); });
        connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
            if (FCanEnd())
                return;
            manager.cancel();
            Hold();
        });
    }
    ~TSessionHold() override
    {
        if (FBlocking)
            ShutdownBlockReasonDestroy(Handle());
    }

private:
    HWND Handle() const { return reinterpret_cast<HWND>(FWindow.winId()); }

    void Hold()
    {
        if (!FBlocking) {
            const QString reason = QCoreApplication::translate(
                "morlith::TSessionEnd",
                "Morlith is writing to a module. Ending the session now would leave the module "
                "half-written.");
            FBlocking = ShutdownBlockReasonCreate(Handle(), reinterpret_cast<LPCWSTR>(reason.utf16()));
        }
        FRetry.start();
    }

    void Release()
    {
        if (!FCanEnd())
            return;
        FRetry.stop();
        if (FBlocking)
            ShutdownBlockReasonDestroy(Handle());
        FBlocking = false;
    }

    QWidget &FWindow;
    TSessionEnd::TCanEnd FCanEnd;
    QTimer FRetry;
    bool FBlocking = false;
};

} // namespace

// Nothing to prepare before the QApplication: Windows asks through the window's messages.
TSessionEnd::TSessionEnd() = default;

std::unique_ptr<QObject> TSessionEnd::Watch(QWidget &mainWindow, TCanEnd canEnd)
{
    return std::make_unique<TSessionHold>(mainWindow, std::move(canEnd));
}

} // namespace morlith
