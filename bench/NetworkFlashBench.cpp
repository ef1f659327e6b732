// SPDX-License-Identifier: MIT
// Application writes through ser2net on the loopback, against a local pseudo-terminal: a
// 65,000-byte package written to virtual modules paced at 19200 bit/s.
//   bench_network local      the module's pseudo-terminal, opened directly
//   bench_network rfc2217    the same module behind ser2net, as rfc2217://127.0.0.1:PORT
//   bench_network socket     the same, as socket://127.0.0.1:PORT
//   bench_network rfc2217 16 sixteen modules behind one ser2net, written at once
// Prints the write's wall time, its ratio to the line time and the CPU share of this process.
// Pair two of them with farm-bench (--vs) to compare whole runs.

#include "BenchClock.h"
#include "ComPortProgrammator.h"
#include "LineTime.h"
#include "ModuleServer.h"
#include "PackageBuilder.h"
#include "Ser2net.h"
#include "PathText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace morlith;

namespace {

constexpr unsigned kRate = 19200;
constexpr size_t kImageBytes = 65000;

bool Write(const std::string &port, const std::string &package, std::string &why)
{
    TComPortProgrammator programmator;
    programmator.SetPortNaming([&](int32_t) { return port; });
    const bool ok = programmator.Connect(1) && programmator.WriteApplication(package);
    if (!ok)
        why = programmator.LastFailure().Message();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string kind = argc > 1 ? argv[1] : "rfc2217";
    const size_t modules = argc > 2 ? size_t(std::max(1, std::atoi(argv[2]))) : 1;
    if (kind != "local" && kind != "rfc2217" && kind != "socket") {
        std::fprintf(stderr, "usage: bench_network local|rfc2217|socket [MODULES]\n");
        return 2;
    }
    const std::string folder = "/tmp/morlith-bench-network-" + std::to_string(getpid());
    std::filesystem::create_directories(PathFromUtf8(folder));
    std::vector<uint8_t> image(kImageBytes);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 31 + 7);
    const auto bytes = BuildPackageBytes(image, 0x0100);
    const std::string package = folder + "/app.xml";
    std::string why;
    if (!SavePackageFile(package, bytes.Header, bytes.KeyedImage, 1024, &why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", package.c_str(), why.c_str());
        return 1;
    }

    TModuleServerOptions options;
    options.bitRate = kRate;
    std::vector<std::unique_ptr<TModuleServer>> servers;
    std::vector<std::string> devices;
    for (size_t i = 0; i < modules; ++i) {
        servers.push_back(std::make_unique<TModuleServer>(options));
        servers.back()->Start();
        devices.push_back(servers.back()->SlavePath());
    }
    std::unique_ptr<Ser2net> ser2net;
    if (kind != "local")
        ser2net = std::make_unique<Ser2net>(devices, folder);
    std::vector<std::string> ports;
    for (size_t i = 0; i < modules; ++i)
        ports.push_back(kind == "local" ? devices[i] : kind == "rfc2217" ? ser2net->Rfc2217(i) : ser2net->Socket(i));

    const double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    std::vector<char> done(modules, 0);
    std::vector<std::string> failures(modules);
    std::vector<std::thread> writers;
    for (size_t i = 0; i < modules; ++i)
        writers.emplace_back([&, i] { done[i] = Write(ports[i], package, failures[i]); });
    for (auto &writer : writers)
        writer.join();
    const double cpu = ProcessCpuMs() - cpu0, wall = NowMs() - wall0;

    bool ok = true;
    for (size_t i = 0; i < modules; ++i) {
        const bool holds = servers[i]->WithModule([&](TVirtualModule &m) { return m.Controller(0).programMemory == image; });
        if (!done[i] || !holds) {
            std::fprintf(stderr, "module %zu: write failed: %s\n", i, failures[i].c_str());
            ok = false;
        }
    }
    const double lineMs = LineTimeMs(kImageBytes, kRate);
    std::printf("%s, %zu module%s, %zu bytes paced at %u bit/s: %.0f ms wall for %.0f ms of line time: ratio "
                "%.4f; CPU %.0f ms = %.2f%% of wall%s\n",
                kind.c_str(), modules, modules == 1 ? "" : "s", kImageBytes, kRate, wall, lineMs, wall / lineMs, cpu,
                100.0 * cpu / wall, ok ? "" : "  FAILED");
    std::fflush(stdout);
    ser2net.reset();
    servers.clear();
    std::filesystem::remove_all(PathFromUtf8(folder));
    return ok ? 0 : 1;
}
