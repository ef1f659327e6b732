// SPDX-License-Identifier: MIT
#include "FrameParser.h"

#include "Crc16.h"
#include "ModuleProtocol.h"

namespace morlith {

std::optional<TRequestFrame> TFrameParser::Receive(uint8_t byte)
{
    switch (FState) {
    case psSkipping:
        ++FDiscarded;
        return std::nullopt;
    case psLength:
        if (byte > kMaxRequestPayload) {
            ++FDiscarded;
            FState = psSkipping;
            return std::nullopt;
        }
        FFrame.assign(1, byte);
        FPayloadLength = byte;
        FState = psCommand;
        return std::nullopt;
    case psCommand:
        FFrame.push_back(byte);
        FState = FPayloadLength > 0 ? psPayload : psCrcHigh;
        return std::nullopt;
    case psPayload:
        FFrame.push_back(byte);
        if (FFrame.size() == FPayloadLength + 2)
            FState = psCrcHigh;
        return std::nullopt;
    case psCrcHigh:
        FFrame.push_back(byte);
        FState = psCrcLow;
        return std::nullopt;
    case psCrcLow:
        break;
    }
    FFrame.push_back(byte);
    FState = psLength;
    TRequestFrame frame;
    frame.command = FFrame[1];
    frame.payload.assign(FFrame.begin() + 2, FFrame.begin() + 2 + long(FPayloadLength));
    frame.crcOk = CRC16(FFrame.data(), int64_t(FFrame.size())) == 0;
    return frame;
}

void TFrameParser::DiscardPartialFrame()
{
    if (FState != psSkipping && FState != psLength)
        FDiscarded += FFrame.size();
    FState = psLength;
    FFrame.clear();
}

} // namespace morlith
