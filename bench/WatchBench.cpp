// SPDX-License-Identifier: MIT
// Station-mode benchmark: `morlith-cli watch write-app` on a private port map while virtual
// modules, paced at 19200 bit/s, are linked into it one after another; each gets a 5,000-byte
// image.
//  - latency: from a module's entry appearing to the module receiving the last byte of its first
//    frame (the "C");
//  - one module: from its appearing to its last frame (the goodbye);
//  - sixteen modules: from the first appearing to the last goodbye, against one module's time.
// Medians over the runs are printed; nothing is asserted.
// Usage: bench_watch [runs] [modules]

#include "BenchClock.h"
#include "ModuleServer.h"
#include "PackageBuilder.h"
#include "PathText.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace morlith;
namespace fs = std::filesystem;

namespace {

constexpr unsigned kBitRate = 19200;
constexpr size_t kImageBytes = 5000;
// The longest a run may take before it is reported as stuck, in ms.
constexpr double kRunLimitMs = 120000;

// A virtual module that notes when its first and its goodbye frame arrived.
struct TTimedModule {
    std::atomic<double> FirstFrameMs{0};
    std::atomic<double> GoodbyeMs{0};
    std::unique_ptr<TModuleServer> Server;

    TTimedModule()
    {
        TModuleServerOptions options;
        options.bitRate = kBitRate;
        options.onFrame = [this](const TTraceEntry &entry) {
            const double now = NowMs();
            double none = 0;
            FirstFrameMs.compare_exchange_strong(none, now);
            if (entry.command == 'Q')
                GoodbyeMs = now;
        };
        Server = std::make_unique<TModuleServer>(options);
        Server->Start();
    }
};

// morlith-cli watching the port map, until Stop.
class TWatchProcess {
public:
    TWatchProcess(const std::string &package, const std::string &folder)
    {
        int err[2];
        if (pipe(err) != 0)
            return;
        FPid = fork();
        if (FPid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            if (chdir(folder.c_str()) != 0 || dup2(null, STDOUT_FILENO) < 0 || dup2(err[1], STDERR_FILENO) < 0)
                _exit(127);
            execl(MORLITH_CLI_EXECUTABLE, MORLITH_CLI_EXECUTABLE, "watch", "write-app", package.c_str(), nullptr);
            _exit(127);
        }
        close(err[1]);
        FErr = err[0];
    }
    ~TWatchProcess()
    {
        Stop();
        if (FErr >= 0)
            close(FErr);
    }
    // Waits until the tool says it watches; false when it ended first.
    bool WaitUntilWatching()
    {
        std::string text;
        char buffer[512];
        while (text.find("watching ") == std::string::npos) {
            pollfd entry{FErr, POLLIN, 0};
            if (poll(&entry, 1, 10000) <= 0)
                return false;
            const ssize_t n = read(FErr, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            text.append(buffer, size_t(n));
        }
        return true;
    }
    void Stop()
    {
        if (FPid <= 0)
            return;
        kill(FPid, SIGINT);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
    }

private:
    pid_t FPid = -1;
    int FErr = -1;
};

struct TRunFigures {
    std::vector<double> LatenciesMs;
    double WallMs = 0;
    bool Ok = true;
};

// Links `count` modules one after another into the port map while `watch` runs.
TRunFigures Run(size_t count, const std::string &package, const std::string &folder, const std::string &portMap)
{
    TRunFigures figures;
    std::vector<std::unique_ptr<TTimedModule>> modules;
    for (size_t i = 0; i < count; ++i)
        modules.push_back(std::make_unique<TTimedModule>());
    for (const auto &entry : fs::directory_iterator(PathFromUtf8(portMap)))
        fs::remove(entry.path());
    TWatchProcess watch(package, folder);
    if (!watch.WaitUntilWatching()) {
        std::fprintf(stderr, "morlith-cli watch did not start\n");
        figures.Ok = false;
        return figures;
    }
    std::vector<double> appeared(count);
    for (size_t i = 0; i < count; ++i) {
        appeared[i] = NowMs();
        fs::create_symlink(modules[i]->Server->SlavePath(), portMap + "/COM" + std::to_string(i + 1));
    }
    const auto allDone = [&] {
        return std::all_of(modules.begin(), modules.end(), [](const auto &m) { return m->GoodbyeMs > 0; });
    };
    while (!allDone() && NowMs() - appeared[0] < kRunLimitMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    watch.Stop();
    double last = 0;
    for (size_t i = 0; i < count; ++i) {
        const bool written = modules[i]->Server->WithModule(
            [](TVirtualModule &m) { return m.Controller(0).programMemory.size() == kImageBytes; });
        figures.Ok = figures.Ok && written && modules[i]->GoodbyeMs > 0;
        figures.LatenciesMs.push_back(modules[i]->FirstFrameMs - appeared[i]);
        last = std::max(last, double(modules[i]->GoodbyeMs));
    }
    figures.WallMs = last - appeared[0];
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const size_t many = argc > 2 ? size_t(std::max(2, std::atoi(argv[2]))) : 16;
    char folderTemplate[] = "/tmp/morlith-bench-watch-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    const std::string portMap = folder + "/morlith/ports";
    fs::create_directories(PathFromUtf8(portMap));

    std::vector<uint8_t> image(kImageBytes);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 31 + 7);
    const TPackageBytes bytes = BuildPackageBytes(image, 0);
    const std::string package = folder + "/app.xml";
    std::string why;
    if (!SavePackageFile(package, bytes.Header, bytes.KeyedImage, 0, &why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", package.c_str(), why.c_str());
        return 1;
    }

    std::vector<double> latencies, singleWalls, manyWalls;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        const TRunFigures one = Run(1, package, folder, portMap);
        const TRunFigures all = Run(many, package, folder, portMap);
        ok = ok && one.Ok && all.Ok;
        singleWalls.push_back(one.WallMs);
        manyWalls.push_back(all.WallMs);
        latencies.insert(latencies.end(), one.LatenciesMs.begin(), one.LatenciesMs.end());
        latencies.insert(latencies.end(), all.LatenciesMs.begin(), all.LatenciesMs.end());
        std::printf("run %d: one module %.0f ms, %zu modules %.0f ms, latencies %.0f .. %.0f ms%s\n", run + 1,
                    one.WallMs, many, all.WallMs, *std::min_element(all.LatenciesMs.begin(), all.LatenciesMs.end()),
                    *std::max_element(all.LatenciesMs.begin(), all.LatenciesMs.end()),
                    one.Ok && all.Ok ? "" : "  FAILED");
    }
    const double single = Median(singleWalls);
    const double together = Median(manyWalls);
    std::printf("medians over %d runs, %zu-byte image at %u bit/s:\n", runs, kImageBytes, kBitRate);
    std::printf("  port appearing to first frame: %.0f ms (max %.0f ms)\n", Median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));
    std::printf("  one module: %.0f ms; %zu modules appearing one after another: %.0f ms = %.3f times one\n",
                single, many, together, single > 0 ? together / single : 0);
    fs::remove_all(PathFromUtf8(folder));
    return ok ? 0 : 1;
}
