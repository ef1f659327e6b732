// morlith-cli: the command-line front end of Morlith, on the same engine as the GUI, without Qt.

#include "CliApp.h"
#include "Interruption.h"
#include "StandardDescriptors.h"

#include <csignal>

int main(int argc, char **argv)
{
    using namespace morlith::cli;
    const unsigned closed = morlith::EnsureStandardDescriptors();
    // A closed pipe on standard output ends a write with EPIPE instead of killing the tool, and
    // a file-size limit ends a file write with EFBIG: both are then reported, and the file they
    // were meant to replace stays as it was.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    InstallInterruptHandlers();
    TConsole &console = TConsole::Standard();
    // Results written to a standard output that was closed reach nobody: not a success.
    if (closed & morlith::sdOutput)
        console.MarkOutClosed();
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), console);
}
