// SPDX-License-Identifier: MIT
#include "ModuleProtocol.h"

#include "Crc16.h"

#include <array>

namespace morlith {
namespace {

constexpr std::array<TModuleCommandLayout, 7> kCommands = {{
    {TCommandCode::ccConnect, 50, 50, 7},
    {TCommandCode::ccSelectMCU, 1, 1, 2},
    {TCommandCode::ccDisconnect, 0, 0, 2},
    {TCommandCode::ccFlashInit, 50, 50, 2},
    {TCommandCode::ccFlashWrite, 1, kMaxRequestPayload, 2},
    {TCommandCode::ccReadPSEG, 0, 0, kParameterBlockBytes},
    {TCommandCode::ccReadDSEG, 0, 0, kReplyLengthFromBlock},
}};

void AppendCrc(std::vector<uint8_t> &bytes)
{
    const uint16_t crc = CRC16(bytes.data(), int64_t(bytes.size()));
    bytes.push_back(uint8_t(crc >> 8));
    bytes.push_back(uint8_t(crc & 0xFF));
}

} // namespace

std::optional<TModuleCommandLayout> FindCommand(uint8_t code)
{
    for (const TModuleCommandLayout &layout : kCommands)
        if (uint8_t(layout.code) == code)
            return layout;
    return std::nullopt;
}

std::vector<uint8_t> WithCrc(std::vector<uint8_t> payload)
{
    AppendCrc(payload);
    return payload;
}

std::vector<uint8_t> EncodeRequest(uint8_t command, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> frame;
    frame.reserve(payload.size() + kRequestOverheadBytes);
    frame.push_back(uint8_t(payload.size()));
    frame.push_back(command);
    frame.insert(frame.end(), payload.begin(), payload.end());
    AppendCrc(frame);
    return frame;
}

} // namespace morlith
