#include "MorlithApplication.h"

#include "CountDown.h"
#include "FontSubstitutes.h"
#include "Main.h"
#include "ModelU.h"
#include "ProgressU.h"
#include "QtPollTimer.h"

#include <QApplication>

namespace morlith {

TMorlithApplication::TMorlithApplication()
{
    QApplication::setApplicationName(QStringLiteral("morlith"));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
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
}

int TMorlithApplication::Run()
{
    FMainWindow->show();
    return QApplication::exec();
}

} // namespace morlith
