// SPDX-License-Identifier: MIT
// The application write benchmark against a module on a named port, on any platform: the same
// 65,000-byte package as bench_flash, written by the engine to a virtual module served by
// morlith-module (on Windows under Wine, reached as a COM port).
//   wall and CPU time of the connect and the write, exchanges per second; with --bitrate B (the
//   module's pacing), wall time divided by the line time of every byte sent and received.
// Usage: bench_flash_port PORT [--bitrate B] [--image BYTES]

#include "BenchClock.h"
#include "ComPortProgrammator.h"
#include "LineTime.h"
#include "PackageBuilder.h"
#include "PathText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace morlith;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_flash_port PORT [--bitrate B] [--image BYTES]\n");
        return 2;
    }
    const std::string port = argv[1];
    unsigned bitRate = 0;
    size_t imageBytes = 65000;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--bitrate") == 0)
            bitRate = unsigned(std::atol(argv[i + 1]));
        else if (std::strcmp(argv[i], "--image") == 0)
            imageBytes = size_t(std::atol(argv[i + 1]));
    }

    std::vector<uint8_t> image(imageBytes);
    for (size_t i = 0; i < imageBytes; ++i)
        image[i] = uint8_t(i * 31 + 7);
    const auto bytes = BuildPackageBytes(image, 0x0100);
    const std::string package = Utf8OfPath(std::filesystem::temp_directory_path() / "morlith-bench-port.xml");
    std::string why;
    if (!SavePackageFile(package, bytes.Header, bytes.KeyedImage, 1024, &why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", package.c_str(), why.c_str());
        return 1;
    }

    TComPortProgrammator programmator;
    programmator.SetPortNaming([&](int32_t) { return port; });
    const double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    const bool ok = programmator.Connect(1) && programmator.WriteApplication(package);
    const double cpuMs = ProcessCpuMs() - cpu0, wallMs = NowMs() - wall0;
    if (!ok)
        std::fprintf(stderr, "write failed: %s\n", programmator.LastFailure().Message().c_str());
    programmator.Disconnect();
    std::remove(package.c_str());

    const size_t exchanges = 4 + (imageBytes + kChunkBytes - 1) / kChunkBytes;
    std::printf("%zu bytes on %s: %.0f ms wall, %.0f ms CPU, %zu exchanges, %.0f exchanges/s, %.1f us CPU per exchange",
                imageBytes, port.c_str(), wallMs, cpuMs, exchanges, 1000.0 * double(exchanges) / wallMs,
                1000.0 * cpuMs / double(exchanges));
    if (bitRate > 0) {
        const double lineMs = LineTimeMs(imageBytes, bitRate);
        std::printf("; paced at %u bit/s: %.0f ms of line time, ratio %.4f", bitRate, lineMs, wallMs / lineMs);
    }
    std::printf("%s\n", ok ? "" : "  FAILED");
    return ok ? 0 : 1;
}
