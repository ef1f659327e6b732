// morlith: updates the firmware of KEV-xxx-BUS modules over a serial line.

#include "MorlithApplication.h"
#include "QuitOnSignal.h"
#include "StandardDescriptors.h"

#include <QApplication>

int main(int argc, char **argv)
{
    morlith::EnsureStandardDescriptors();
    const int signalFd = morlith::BlockTerminationSignals();
    QApplication application(argc, argv);
    morlith::TQuitOnSignal quitOnSignal(signalFd);
    morlith::TMorlithApplication run;
    return run.Run();
}
