// Port changes on Windows: a COM port is there when Windows names a device for it; without a
// notification at hand the ports are looked at again every quarter of a second.

#include "EventWait.h"
#include "PathText.h"
#include "PortMap.h"
#include "PortWait.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace morlith::cli {
namespace {

constexpr int kRecheckMs = 250;

} // namespace

struct TPortChanges::TImpl {};

bool PortPresent(const TPortChoice &port)
{
    const auto number = ComPortNumber(port.Label);
    if (!number) {
        std::error_code error;
        return std::filesystem::exists(PathFromUtf8(port.DevicePath), error);
    }
    char target[512];
    const std::string name = "COM" + std::to_string(*number);
    return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

TPortChanges::TPortChanges() : FImpl(std::make_unique<TImpl>()) {}

TPortChanges::~TPortChanges() = default;

void TPortChanges::Follow(const TPortChoice &) {}

bool TPortChanges::Wait(int milliseconds) { return SleepUnlessInterrupted(std::min(milliseconds, kRecheckMs)); }

} // namespace morlith::cli
