// morlith: updates the firmware of KEV-xxx-BUS modules over a serial line.

#include "CommandLine.h"
#include "MorlithApplication.h"
#include "QuitOnSignal.h"
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
        outcome = morlith::ReadCommandLine(QCoreApplication::arguments());
    }
    if (!outcome.RunWindow)
        return outcome.ExitCode;
    if (!outcome.WorkingFolder.isEmpty())
        morlith::EnterWorkingFolder(outcome.WorkingFolder);

    const int signalFd = morlith::BlockTerminationSignals();
    QApplication application(argc, argv);
    morlith::TQuitOnSignal quitOnSignal(signalFd);
    morlith::TMorlithApplication run;
    return run.Run();
}
