// SPDX-License-Identifier: MIT
// window-drive STEP...: Morlith's window, as morlith.exe builds it (TMorlithApplication: the model
// with the configuration of the current folder, the main window, the progress dialog and the
// countdown), driven by clicks on its own buttons against the real COM port the configuration
// names. Only the modal dialogs are answered by script: the file dialogs return the paths given,
// questions are answered Yes, and failure boxes are printed instead of shown.
//
// Steps: connect | disconnect | write-app PACKAGE | read-dseg FILE | write-dseg FILE |
// slide-left | slide-right (the title bar's arrows) | shot PNG (the window's picture) | start.
// Each prints one line: "STEP ok MS", or "STEP failed KIND: MESSAGE"; before it, "asked QUESTION"
// for every question the step asked; then "page connected" or "page disconnected". "start"
// prints the time from the process's start until the window is shown and its peak memory. The
// steps are read from the wide command line, so names outside the system's code page arrive whole. Ends with 0 when the steps ran (failures are results, not errors).

#include "DialogsIntf.h"
#include "EventLoopWait.h"
#include "Main.h"
#include "MainViewPresenter.h"
#include "MorlithApplication.h"
#include "ScriptedDialogs.h"
#include "Slider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QAbstractButton>
#include <QPushButton>

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>
#include <psapi.h>

using namespace morlith;

namespace {

// Milliseconds from this process's start until now.
double MillisecondsSinceStart()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME &time) {
        return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return double(ticks(now) - ticks(created)) / 10000.0;
}

// How long a page may take to slide in, in milliseconds.
constexpr int kSlideTimeoutMs = 5000;

class TDriver {
public:
    TDriver(TdlgMain &window, TScriptedDialogs &dialogs) : FWindow(window), FDialogs(dialogs) {}

    // Runs the step at `words[i]` (UTF-8), consuming its argument; false on a step it does not know.
    bool Run(const std::vector<std::string> &words, size_t &i)
    {
        const std::string step = words[i];
        const auto argument = [&]() -> std::string { return i + 1 < words.size() ? words[++i] : ""; };
        if (step == "connect")
            return Click(step, "btnConnect");
        if (step == "disconnect")
            return Click(step, "btnDisconnect");
        if (step == "write-app") {
            FDialogs.Files = {argument()};
            Click("choose-app", "btnOpenAppFile");
            return Click(step, "btnWriteApp");
        }
        if (step == "read-dseg" || step == "write-dseg") {
            FDialogs.Files = {argument()};
            Click("choose-data", "btnOpenDataFile");
            return Click(step, step == "read-dseg" ? "btnReadData" : "btnWriteData");
        }
        if (step == "slide-left" || step == "slide-right") {
            auto *arrow = FWindow.findChild<QAbstractButton *>(
                step == "slide-left" ? QStringLiteral("btnMoveToLeft") : QStringLiteral("btnMoveToRight"));
            if (arrow)
                arrow->click();
            ProcessEventsUntil([this] { return !FWindow.Presenter().Slider().Sliding(); }, kSlideTimeoutMs);
            std::printf("%s %s\n", step.c_str(), arrow ? "ok" : "failed refused: no arrow");
            return true;
        }
        if (step == "shot") {
            const QString path = QString::fromStdString(argument());
            const bool saved = FWindow.grab().save(path, "PNG");
            std::printf("shot %s\n", saved ? "ok" : "failed file: cannot write the picture");
            return true;
        }
        if (step == "start") {
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
            std::printf("start ok %.0f ms, peak working set %.1f MiB\n", FShownAfterMs,
                        double(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
            return true;
        }
        std::fprintf(stderr, "window-drive: unknown step %s\n", step.c_str());
        return false;
    }

    void Shown() { FShownAfterMs = MillisecondsSinceStart(); }

private:
    bool Click(const std::string &step, const char *name)
    {
        auto *button = FWindow.findChild<QPushButton *>(QString::fromLatin1(name));
        if (!button || !button->isEnabled()) {
            std::printf("%s failed refused: %s is %s\n", step.c_str(), name,
                        button ? "disabled" : "missing");
            return true;
        }
        FDialogs.LastFailure.clear();
        FDialogs.Questions.clear();
        QElapsedTimer took;
        took.start();
        // The page runs an operation to its end inside the click, with the window's events
        // going on around it.
        button->click();
        QCoreApplication::processEvents();
        const qint64 ms = took.elapsed();
        if (step.rfind("choose-", 0) == 0)
            return true;
        for (const std::string &question : FDialogs.Questions)
            std::printf("asked %s\n", question.c_str());
        if (FDialogs.LastFailure.empty())
            std::printf("%s ok %lld ms\n", step.c_str(), static_cast<long long>(ms));
        else
            std::printf("%s failed %s\n", step.c_str(), FDialogs.LastFailure.c_str());
        const auto *disconnect = FWindow.findChild<QPushButton *>(QStringLiteral("btnDisconnect"));
        std::printf("page %s\n", disconnect && disconnect->isEnabled() ? "connected" : "disconnected");
        std::fflush(stdout);
        return true;
    }

    TdlgMain &FWindow;
    TScriptedDialogs &FDialogs;
    double FShownAfterMs = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    TScriptedDialogs dialogs;
    InstallDialogs(&dialogs);
    int status = 0;
    {
        TMorlithApplication run;
        TdlgMain &window = run.MainWindow();
        window.show();
        QCoreApplication::processEvents();
        TDriver driver(window, dialogs);
        driver.Shown();
        std::vector<std::string> words;
        for (const QString &argument : QCoreApplication::arguments())
            words.push_back(argument.toStdString());
        for (size_t i = 1; i < words.size(); ++i) {
            if (!driver.Run(words, i)) {
                status = 2;
                break;
            }
        }
    }
    InstallDialogs(nullptr);
    return status;
}
