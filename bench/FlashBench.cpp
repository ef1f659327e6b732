// SPDX-License-Identifier: MIT
// Application write benchmark: a 65,000-byte package written to the virtual module over a
// pseudo-terminal.
//  (a) unpaced: wall time, CPU time and exchanges per second: the software's own cost;
//  (b) paced at 19200 bit/s: wall time divided by the line time of every byte sent and received
//      (10 bits a byte), and CPU time as a share of wall time.
// Usage: bench_flash [image-bytes] [--unpaced-only]

#include "BenchClock.h"
#include "LineTime.h"
#include "ComPortProgrammator.h"
#include "ModuleServer.h"
#include "PackageBuilder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

using namespace morlith;

namespace {

struct Run {
    double wallMs, cpuMs;
    size_t exchanges;
    bool ok;
};

Run Flash(const std::string &package, size_t imageBytes, unsigned bitRate)
{
    TModuleServerOptions options;
    options.bitRate = bitRate;
    TModuleServer module(options);
    module.Start();
    TComPortProgrammator programmator;
    programmator.SetPortNaming([&](int32_t) { return module.SlavePath(); });
    const double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    bool ok = programmator.Connect(1) && programmator.WriteApplication(package);
    const double cpu = ProcessCpuMs() - cpu0, wall = NowMs() - wall0;
    if (!ok)
        std::fprintf(stderr, "write failed: %s\n", programmator.LastFailure().Message().c_str());
    ok = ok && module.WithModule([&](TVirtualModule &m) {
        return m.Controller(0).programMemory.size() == imageBytes;
    });
    const size_t exchanges = 4 + (imageBytes + kChunkBytes - 1) / kChunkBytes;
    return {wall, cpu, exchanges, ok};
}

} // namespace

int main(int argc, char **argv)
{
    const size_t imageBytes = argc > 1 && argv[1][0] != '-' ? size_t(std::atol(argv[1])) : 65000;
    bool unpacedOnly = false;
    for (int i = 1; i < argc; ++i)
        unpacedOnly = unpacedOnly || std::strcmp(argv[i], "--unpaced-only") == 0;

    std::vector<uint8_t> image(imageBytes);
    for (size_t i = 0; i < imageBytes; ++i)
        image[i] = uint8_t(i * 31 + 7);
    const auto bytes = BuildPackageBytes(image, 0x0100);
    const std::string package = "/tmp/morlith-bench-" + std::to_string(getpid()) + ".xml";
    std::string why;
    if (!SavePackageFile(package, bytes.Header, bytes.KeyedImage, 1024, &why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", package.c_str(), why.c_str());
        return 1;
    }

    const Run fast = Flash(package, imageBytes, 0);
    std::printf("(a) unpaced, %zu bytes: %.0f ms wall, %.0f ms CPU, %zu exchanges, %.0f exchanges/s, "
                "%.1f us CPU per exchange%s\n",
                imageBytes, fast.wallMs, fast.cpuMs, fast.exchanges,
                1000.0 * double(fast.exchanges) / fast.wallMs,
                1000.0 * fast.cpuMs / double(fast.exchanges), fast.ok ? "" : "  FAILED");
    bool ok = fast.ok;
    if (!unpacedOnly) {
        constexpr unsigned kRate = 19200;
        const double lineMs = LineTimeMs(imageBytes, kRate);
        const Run paced = Flash(package, imageBytes, kRate);
        std::printf("(b) paced at %u bit/s: %.0f ms wall for %.0f ms of line time: ratio %.4f; CPU "
                    "%.0f ms = %.2f%% of wall%s\n",
                    kRate, paced.wallMs, lineMs, paced.wallMs / lineMs, paced.cpuMs,
                    100.0 * paced.cpuMs / paced.wallMs, paced.ok ? "" : "  FAILED");
        ok = ok && paced.ok;
    }
    std::remove(package.c_str());
    return ok ? 0 : 1;
}
