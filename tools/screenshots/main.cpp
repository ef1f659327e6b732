// SPDX-License-Identifier: MIT
// morlith-screenshots DIR: renders the Loading page (connected to a virtual module, files
// chosen), the Options and About pages, the progress dialog and the countdown into DIR as PNG.

#include "CountDown.h"
#include "EventLoopWait.h"
#include "Main.h"
#include "MainViewPresenter.h"
#include "ModuleServer.h"
#include "MorlithApplication.h"
#include "PortMap.h"
#include "ProgressU.h"
#include "RoundRobin.h"
#include "ScriptedDialogs.h"
#include "Slider.h"
#include "PathText.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

// How long to wait for a page to slide in, in milliseconds.
constexpr int kSlideTimeoutMs = 5000;

bool Save(const QImage &image, const fs::path &path)
{
    if (image.save(QString::fromStdString(Utf8OfPath(path)), "PNG"))
        return true;
    std::fprintf(stderr, "morlith-screenshots: cannot write %s\n", path.c_str());
    return false;
}

// Slides in the page `move` brings and waits until it has arrived.
void Slide(TdlgMain &window, void (IMainViewPresenterInterface::*move)())
{
    (window.Presenter().*move)();
    ProcessEventsUntil([&] { return !window.Presenter().Slider().Sliding(); }, kSlideTimeoutMs);
}

// A private folder holding the configuration, the port map and the sample files.
fs::path MakeScratchFolder()
{
    char pattern[] = "/tmp/morlith-screenshots-XXXXXX";
    if (!mkdtemp(pattern))
        return {};
    const fs::path folder = pattern;
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    fs::create_directories(PortMapDirectory());
    return folder;
}

// Clicks a Loading page button by its name.
void Click(TdlgMain &window, const char *name)
{
    if (auto *button = window.findChild<QPushButton *>(QString::fromLatin1(name)))
        button->click();
}

bool RenderAll(const fs::path &out)
{
    TModuleServer module;
    module.Start();
    fs::create_symlink(module.SlavePath(), PathFromUtf8(PortMapDirectory()) / "COM1");
    TScriptedDialogs dialogs;
    // The file dialogs' answers are only shown, never opened.
    dialogs.Files = {"/home/operator/firmware/kev-main-2.4.xml",
                     "/home/operator/dseg/main-settings.bin"};
    InstallDialogs(&dialogs);

    TMorlithApplication application;
    TdlgMain &window = application.MainWindow();
    window.show();
    Click(window, "btnConnect");
    Click(window, "btnOpenAppFile");
    Click(window, "btnOpenDataFile");
    bool saved = Save(window.grab().toImage(), out / "loading.png");
    Slide(window, &IMainViewPresenterInterface::MoveToRight);
    saved = Save(window.grab().toImage(), out / "options.png") && saved;
    Slide(window, &IMainViewPresenterInterface::MoveToLeft);
    Slide(window, &IMainViewPresenterInterface::MoveToLeft);
    saved = Save(window.grab().toImage(), out / "about.png") && saved;

    ProgressDlg->show();
    std::this_thread::sleep_for(std::chrono::milliseconds(TProgressDlg::kRefreshIntervalMs + 50));
    ProgressDlg->SetProgress(42);
    saved = Save(ProgressDlg->grab().toImage(), out / "progress.png") && saved;
    ProgressDlg->hide();

    for (int step = 0; step < 3; ++step)
        CountDownDlg->RoundRobin()->Step();
    QImage ring(CountDownDlg->size(), QImage::Format_ARGB32_Premultiplied);
    ring.fill(Qt::transparent);
    CountDownDlg->render(&ring, QPoint(), CountDownDlg->mask());
    saved = Save(ring, out / "countdown.png") && saved;
    InstallDialogs(nullptr);
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: morlith-screenshots DIR\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApplication(argc, argv);
    const fs::path scratch = MakeScratchFolder();
    if (scratch.empty()) {
        std::fprintf(stderr, "morlith-screenshots: cannot make a scratch folder\n");
        return 1;
    }
    const fs::path home = fs::current_path();
    fs::current_path(scratch);
    const bool saved = RenderAll(out);
    fs::current_path(home);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return saved ? 0 : 1;
}
