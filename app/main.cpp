// SPDX-License-Identifier: MIT
// morlith: updates the firmware of KEV-xxx-BUS modules over a serial line.

#include "CommandLine.h"
#include "Main.h"
#include "MainViewPresenter.h"
#include "MorlithApplication.h"
#include "ParentConsole.h"
#include "SessionEnd.h"
#include "StandardDescriptors.h"

#include <QApplication>

int main(int argc, char **argv)
{
    morlith::EnsureStandardDescriptors();

    // The command line is read without a display, so --help and --version work anywhere.
    morlith::TCommandLineOutcome outcome;
    {
        QCoreApplication reading(argc, argv);
        morlith::SetApplicationIdentity();
        morlith::UseParentConsole();
        outcome = morlith::ReadCommandLine(QCoreApplication::arguments());
    }
    if (!outcome.RunWindow)
        return outcome.ExitCode;
    if (!outcome.WorkingFolder.isEmpty())
        morlith::EnterWorkingFolder(outcome.WorkingFolder);

    morlith::TSessionEnd sessionEnd;
    QApplication application(argc, argv);
    morlith::TMorlithApplication run;
    morlith::TdlgMain &window = run.MainWindow();
    const auto watch = sessionEnd.Watch(window, [&window] { return window.Presenter().CanClose(); });
    return run.Run();
}
