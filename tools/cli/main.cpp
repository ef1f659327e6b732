// SPDX-License-Identifier: MIT
// morlith-cli: the command-line front end of Morlith, on the same engine as the GUI, without Qt.

#include "CliApp.h"
#include "CommandLine.h"
#include "DataFiles.h"
#include "Interruption.h"
#include "StandardDescriptors.h"

int main(int argc, char **argv)
{
    using namespace morlith::cli;
    const unsigned closed = morlith::EnsureStandardDescriptors();
    InstallInterruptHandlers();
    // A second stop signal removes the temporary files before the tool ends.
    morlith::SetTemporaryFileNotices(RegisterTemporaryFile, UnregisterTemporaryFile);
    TConsole &console = TConsole::Standard();
    // Results written to a standard output that was closed reach nobody: not a success.
    if (closed & morlith::sdOutput)
        console.MarkOutClosed();
    const int status = RunCli(CommandLineArguments(argc, argv), console);
    NoteWorkFinished();
    return status;
}
