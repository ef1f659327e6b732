// SPDX-License-Identifier: MIT
#include "BootloaderCommands.h"

#include "Crc16.h"

#include <chrono>
#include <random>

namespace morlith {

constexpr TCommandLayout TCPPCommandConnect::kSpec;
constexpr TCommandLayout TCPPCommandSelectMCUIndex::kSpec;
constexpr TCommandLayout TCPPCommandDisconnect::kSpec;
constexpr TCommandLayout TCPPCommandFlashInit::kSpec;
constexpr TCommandLayout TCPPCommandFlashWrite::kSpec;
constexpr TCommandLayout TCPPCommandReadPSEG::kSpec;
constexpr TCommandLayout TCPPCommandReadDSEG::kSpec;

namespace {
constexpr int kFlashInitModeByte = 5;
constexpr int kFlashInitKeyByte = 7;
constexpr uint8_t kLargestMode = TCPPCommandFlashInit::kModeApplication;
} // namespace

bool TCPPCommandConnect::Execute()
{
    for (int i = 0; i < kSpec.RequestLength; ++i)
        SetPayload(i, uint8_t(i));
    return Exchange(kSpec);
}

bool TCPPCommandSelectMCUIndex::Execute()
{
    SetPayload(0, MCUIndex);
    return Exchange(kSpec);
}

bool TCPPCommandDisconnect::Execute() { return Exchange(kSpec); }

void TCPPCommandFlashInit::SetMode(uint8_t Value)
{
    if (Value <= kLargestMode)
        FMode = Value;
}

bool TCPPCommandFlashInit::Execute()
{
    // The filler is drawn afresh at each call from a generator seeded from the clock; 255 never
    // occurs.
    std::minstd_rand generator(
        uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> filler(0, 254);
    for (int i = 0; i < kSpec.RequestLength; ++i)
        SetPayload(i, uint8_t(filler(generator)));
    SetPayload(kFlashInitModeByte, FMode);
    SetPayload(kFlashInitKeyByte, Key);
    return Exchange(kSpec);
}

bool TCPPCommandFlashWrite::Execute()
{
    if (Count == 0)
        return false;
    return Exchange(kSpec.Command, Count, kSpec.ReplyLength);
}

bool TCPPCommandReadPSEG::Execute()
{
    if (!Exchange(kSpec))
        return false;
    for (int k = 0; k < 4; ++k)
        Words[size_t(k)] = uint16_t(GetPayload(2 * k) << 8 | GetPayload(2 * k + 1));
    return true;
}

TCPPCommandReadDSEG::TCPPCommandReadDSEG(TCommPortDriver *Driver) : TCPPCommand(Driver, 0) {}

void TCPPCommandReadDSEG::SetDataLength(uint16_t Length)
{
    FDataLength = Length;
    SetPayloadCapacity(uint32_t(Length) + 2);
}

bool TCPPCommandReadDSEG::Execute()
{
    // Before SetDataLength the frame buffer is empty and has no room for even the reply's CRC;
    // asking for that room makes Exchange refuse ("frame buffer too small") before sending.
    if (Buffer().empty())
        return Exchange(kSpec.Command, 0, 1);
    return Exchange(kSpec.Command, 0, FDataLength);
}

bool TCPPCommandWritePSEG::Execute()
{
    FFailedInInit = true;
    if (FlashInitCommand == nullptr || FlashWriteCommand == nullptr)
        return false;
    FlashInitCommand->SetMode(TCPPCommandFlashInit::kModeParameterBlock);
    FlashInitCommand->Key = 0;
    if (!FlashInitCommand->Execute())
        return false;
    FFailedInInit = false;

    uint8_t block[8];
    for (int k = 0; k < 3; ++k) {
        block[2 * k] = uint8_t(Words[size_t(k)] >> 8);
        block[2 * k + 1] = uint8_t(Words[size_t(k)]);
    }
    Words[3] = CRC16(block, 6);
    block[6] = uint8_t(Words[3] >> 8);
    block[7] = uint8_t(Words[3]);
    for (int i = 0; i < 8; ++i)
        FlashWriteCommand->SetPayload(i, block[i]);
    FlashWriteCommand->Count = 8;
    return FlashWriteCommand->Execute();
}

TFailure TCPPCommandWritePSEG::BlockFailure() const
{
    if (FlashInitCommand == nullptr || FlashWriteCommand == nullptr)
        return MakeFailure(TFailureKind::fkOs, "parameter block commands are not set up");
    return FFailedInInit ? FlashInitCommand->LastFailure() : FlashWriteCommand->LastFailure();
}

} // namespace morlith
