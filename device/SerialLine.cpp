// SPDX-License-Identifier: MIT
#include "SerialLine.h"

#include "NetworkPort.h"
#include "PortAddress.h"
#include "Rfc2217Port.h"
#include "SerialPort.h"

namespace morlith {
namespace {

// How often a network line's waits look at the stop flag.
constexpr uint32_t kStopCheckMs = 50;

} // namespace

std::unique_ptr<ISerialLine> MakeSerialLine(const std::string &name, const std::atomic<bool> *stopFlag)
{
    if (!IsPortAddress(name))
        return std::make_unique<TSerialPort>();
    const auto address = ParsePortAddress(name);
    if (address && address->Scheme == TAddressScheme::Socket)
        return std::make_unique<TNetworkPort>(stopFlag, kStopCheckMs);
    // A bad address fails when it is opened, with the reason.
    return std::make_unique<TRfc2217Port>(stopFlag, kStopCheckMs);
}

} // namespace morlith
