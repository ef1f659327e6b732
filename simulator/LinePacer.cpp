// SPDX-License-Identifier: MIT
#include "LinePacer.h"

#include <algorithm>

namespace morlith {

TLinePacer::TLinePacer(unsigned bitRate)
{
    if (bitRate > 0)
        FByteTime = std::chrono::duration_cast<TClock::duration>(
            std::chrono::nanoseconds(1000000000ull * kBitsPerByte / bitRate));
}

TLinePacer::TClock::time_point TLinePacer::Receive(TClock::time_point arrival)
{
    FReceiveDone = std::max(arrival, FReceiveDone) + FByteTime;
    return FReceiveDone;
}

} // namespace morlith
