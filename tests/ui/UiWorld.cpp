// SPDX-License-Identifier: MIT
#include "UiWorld.h"

#include "EventLoopWait.h"

#include "CountDown.h"
#include "Main.h"
#include "ModelU.h"
#include "ProgressU.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>

using namespace morlith;

UiWorld::UiWorld() : FHome(std::filesystem::current_path())
{
    std::filesystem::current_path(ports.File(""));
    InstallDialogs(&dialogs);
    dialogs.progressShown = [] { return ProgressDlg && ProgressDlg->isVisible(); };
    dialogs.overlayShown = &UiWorld::OverlayShown;
}

UiWorld::~UiWorld()
{
    CloseMainWindow();
    CountDownDlg = nullptr;
    FCountDownDlg.reset();
    ProgressDlg = nullptr;
    FProgressDlg.reset();
    FModel.reset();
    InstallDialogs(nullptr);
    std::filesystem::current_path(FHome);
}

TModelDM &UiWorld::Model()
{
    if (!FModel)
        FModel = std::make_unique<TModelDM>();
    return *FModel;
}

TdlgMain &UiWorld::MainWindow()
{
    if (!FMainWindow) {
        Model();
        FMainWindow = std::make_unique<TdlgMain>();
        FProgressDlg = std::make_unique<TProgressDlg>(FMainWindow.get());
        ProgressDlg = FProgressDlg.get();
        FCountDownDlg = std::make_unique<TCountDownDlg>();
        CountDownDlg = FCountDownDlg.get();
        FMainWindow->show();
    }
    return *FMainWindow;
}

void UiWorld::CloseMainWindow()
{
    FMainWindow.reset();
}

void UiWorld::Click(const char *name)
{
    if (auto *button = Find<QAbstractButton>(name)) {
        ASSERT_TRUE(button->isEnabled()) << name << " is disabled";
        button->click();
    }
}

void UiWorld::Pick(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

QWidget *UiWorld::Overlay()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->geometry() == screen)
            return window;
    return nullptr;
}

bool UiWorld::WaitUntil(const std::function<bool()> &done, int timeoutMs)
{
    return morlith::ProcessEventsUntil(done, timeoutMs);
}
