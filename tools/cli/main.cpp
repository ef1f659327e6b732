// morlith-cli: the command-line front end of Morlith, on the same engine as the GUI, without Qt.

#include "CliApp.h"
#include "Interruption.h"

#include <csignal>

int main(int argc, char **argv)
{
    using namespace morlith::cli;
    // A closed pipe on standard output ends a write with EPIPE instead of killing the tool.
    std::signal(SIGPIPE, SIG_IGN);
    InstallInterruptHandlers();
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), TConsole::Standard());
}
