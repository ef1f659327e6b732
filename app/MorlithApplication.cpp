// SPDX-License-Identifier: MIT
#include "MorlithApplication.h"

#include "AppIcon.h"
#include "CountDown.h"
#include "FontSubstitutes.h"
#include "Main.h"
#include "ModelU.h"
#include "ProgressU.h"
#include "QtPollTimer.h"
#include "Translations.h"

#include <QApplication>

namespace morlith {

// The project's version, set by the build.
#ifndef MORLITH_VERSION
#define MORLITH_VERSION "unknown"
#endif

void SetApplicationIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("morlith"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MORLITH_VERSION));
}

TMorlithApplication::TMorlithApplication()
{
    SetApplicationIdentity();
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    QApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    QApplication::setWindowIcon(AppIcon());
    InstallTranslations();
    InstallFontSubstitutes();
    // The poll timer hook must be bound before the model creates the serial driver.
    InstallQtPollTimers();
    FModel = std::make_unique<TModelDM>();
    FMainWindow = std::make_unique<TdlgMain>();
    FProgressDlg = std::make_unique<TProgressDlg>(FMainWindow.get());
    ProgressDlg = FProgressDlg.get();
    FCountDownDlg = std::make_unique<TCountDownDlg>();
    CountDownDlg = FCountDownDlg.get();
}

TMorlithApplication::~TMorlithApplication()
{
    CountDownDlg = nullptr;
    FCountDownDlg.reset();
    ProgressDlg = nullptr;
    FProgressDlg.reset();
    FMainWindow.reset();
    FModel.reset();
    RemoveTranslations();
}

int TMorlithApplication::Run()
{
    FMainWindow->show();
    return QApplication::exec();
}

} // namespace morlith
