// SPDX-License-Identifier: MIT
// morlith-demo-files DIR: writes a sample firmware package (demo-application.xml) and a sample
// data-segment file (demo-settings.bin) into DIR, replacing earlier ones.

#include "AtomicFile.h"
#include "DataFile.h"
#include "PackageBuilder.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

using namespace morlith;

namespace {

// Size of the sample image: about three seconds of writing at 19200 bit/s.
constexpr size_t kImageBytes = 4000;
// Data-segment length the package declares, and the sample data file's size.
constexpr uint16_t kDataSegmentBytes = 512;
// Bytes per hexadecimal piece of the package.
constexpr size_t kPieceBytes = 256;

std::vector<uint8_t> SampleImage()
{
    std::vector<uint8_t> image(kImageBytes);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>((i * 37 + i / 256) & 0xFF);
    return image;
}

std::vector<uint8_t> SampleSettings()
{
    std::vector<uint8_t> settings(kDataSegmentBytes);
    for (size_t i = 0; i < settings.size(); ++i)
        settings[i] = static_cast<uint8_t>(i & 0xFF);
    return settings;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: morlith-demo-files DIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    const TPackageBytes package = BuildPackageBytes(SampleImage(), kDataSegmentBytes);
    std::string why;
    if (!SavePackageFile(folder + "/demo-application.xml", package.Header, package.KeyedImage,
                         kPieceBytes, &why)) {
        std::fprintf(stderr, "morlith-demo-files: %s\n", why.c_str());
        return 1;
    }
    const std::vector<uint8_t> settings = SampleSettings();
    const TFailure failure = ReplaceFileAtomically(folder + "/demo-settings.bin", settings.data(), settings.size());
    if (failure.Failed()) {
        std::fprintf(stderr, "morlith-demo-files: %s\n", failure.Detail.c_str());
        return 1;
    }
    return 0;
}
