// SPDX-License-Identifier: MIT
// Port changes on Windows: a COM port is there when Windows names it (a DOS device name or an
// entry of the serial-port map); without a notification at hand the ports are looked at again
// every quarter of a second.

#include "ComPortsWindows.h"
#include "PathText.h"
#include "PortMap.h"
#include "PortWait.h"

#include <algorithm>
#include <filesystem>

namespace morlith {
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
    return SystemNamesComPort(*number);
}

TPortChanges::TPortChanges() : FImpl(std::make_unique<TImpl>()) {}

TPortChanges::~TPortChanges() = default;

void TPortChanges::Follow(const TPortChoice &) {}

bool TPortChanges::Wait(int milliseconds, const TStoppableWait &wait)
{
    return wait({}, std::min(milliseconds, kRecheckMs));
}

} // namespace morlith
