// SPDX-License-Identifier: MIT
#include "FaultPlan.h"

#include <iterator>

namespace morlith {

std::vector<uint8_t> TFaultPlan::Shape(unsigned number, const std::vector<uint8_t> &reply) const
{
    if (silent || noReplyFrames.count(number))
        return {};
    std::vector<uint8_t> wire;
    if (noiseFrames.count(number))
        wire.assign(std::begin(kNoiseBytes), std::end(kNoiseBytes));
    wire.insert(wire.end(), reply.begin(), reply.end());
    if (badCrcFrames.count(number) && !wire.empty())
        wire.back() = uint8_t(~wire.back());
    if (trailingFrames.count(number))
        wire.insert(wire.end(), std::begin(kTrailingBytes), std::end(kTrailingBytes));
    return wire;
}

} // namespace morlith
