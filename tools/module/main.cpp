// SPDX-License-Identifier: MIT
// morlith-module: a virtual module on a pseudo-terminal, linked into the port map as COM<N>.

#include "MemoryDump.h"
#include "ModuleOptions.h"
#include "ModuleServer.h"
#include "PortLink.h"
#include "StandardDescriptors.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace morlith;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;

// Blocks the signals that end the tool (before any thread starts, so every thread inherits the
// mask) and returns a descriptor that reads them: SIGINT and SIGTERM, SIGHUP when the terminal
// goes, and SIGPIPE when the reader of its output does, so that each ends it cleanly, link
// removed.
int OpenSignalFd()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&signals, signal);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0)
        return -1;
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

// Waits for one of those signals or the end of serving; true when a signal came.
bool WaitForSignalOrEnd(int signalFd, const TModuleServer &server)
{
    pollfd entries[2] = {{signalFd, POLLIN, 0}, {server.EndedFd(), POLLIN, 0}};
    while (poll(entries, 2, -1) < 0)
        if (errno != EINTR)
            return false;
    return entries[0].revents & POLLIN;
}

int Run(const TModuleToolOptions &options)
{
    const int signalFd = OpenSignalFd();
    if (signalFd < 0) {
        std::cerr << "morlith-module: cannot watch for signals: " << std::strerror(errno) << "\n";
        return kExitFailure;
    }
    TModuleServerOptions serverOptions = ServerOptionsFor(options);
    if (options.trace)
        serverOptions.onFrame = [](const TTraceEntry &entry) {
            // On the serving thread a broken pipe only fails the write (SIGPIPE is blocked and
            // would stay pending on this thread); raise it for the whole process instead.
            if (std::fprintf(stderr, "%s\n", FormatTraceEntry(entry).c_str()) < 0 && errno == EPIPE)
                kill(getpid(), SIGPIPE);
        };
    TModuleServer server(std::move(serverOptions));
    server.Start();
    std::unique_ptr<TPortLink> link;
    if (options.deviceOnly) {
        std::cout << server.SlavePath() << std::endl;
    } else {
        link = std::make_unique<TPortLink>(options.comNumber, server.SlavePath());
        std::cout << link->PortName() << " " << server.SlavePath() << std::endl;
    }
    const bool signalled = WaitForSignalOrEnd(signalFd, server);
    server.Stop();
    close(signalFd);
    if (!options.dumpFile.empty())
        server.DumpMemories(options.dumpFile);
    if (!signalled && options.faults.hangUpAfterFrames == 0) {
        std::cerr << "morlith-module: the pseudo-terminal failed\n";
        return kExitFailure;
    }
    if (!signalled)
        std::cerr << "morlith-module: hung up after " << options.faults.hangUpAfterFrames
                  << " frames as asked\n";
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char **argv)
{
    EnsureStandardDescriptors();
    const TModuleToolArguments arguments =
        ParseModuleToolArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!arguments.error.empty()) {
        std::cerr << "morlith-module: " << arguments.error
                  << "\nTry 'morlith-module --help' for more information.\n";
        return kExitBadArguments;
    }
    if (arguments.options.help) {
        std::cout << ModuleToolHelp();
        return EXIT_SUCCESS;
    }
    if (arguments.options.version) {
        std::cout << "morlith-module " << MORLITH_VERSION << "\n";
        return EXIT_SUCCESS;
    }
    try {
        return Run(arguments.options);
    } catch (const std::exception &error) {
        std::cerr << "morlith-module: " << error.what() << "\n";
        return kExitFailure;
    }
}
