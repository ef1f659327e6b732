// SPDX-License-Identifier: MIT
#include "VirtualModule.h"

#include "Crc16.h"

#include <algorithm>
#include <stdexcept>

namespace morlith {
namespace {

// The bootloader version that "C" reports.
constexpr uint8_t kVersionMajor = 1;
constexpr uint8_t kVersionMinor = 0;

// Index of the parameter block's data-segment length word.
constexpr size_t kDataSegmentLengthWord = 2;

uint16_t WordAt(const std::vector<uint8_t> &bytes, size_t offset)
{
    return uint16_t(bytes[offset] << 8 | bytes[offset + 1]);
}

bool IsHandshakePattern(const std::vector<uint8_t> &payload)
{
    for (size_t i = 0; i < payload.size(); ++i)
        if (payload[i] != i)
            return false;
    return true;
}

} // namespace

std::array<uint16_t, 4> EmptyParameterBlock(uint16_t dataSegmentLength)
{
    std::array<uint16_t, 4> words{0, 0xFFFF, dataSegmentLength, 0};
    const std::vector<uint8_t> bytes = ParameterBlockBytes(words);
    words[3] = CRC16(bytes.data(), 6);
    return words;
}

std::vector<uint8_t> ParameterBlockBytes(const std::array<uint16_t, 4> &words)
{
    std::vector<uint8_t> bytes;
    for (uint16_t word : words) {
        bytes.push_back(uint8_t(word >> 8));
        bytes.push_back(uint8_t(word & 0xFF));
    }
    return bytes;
}

TVirtualModule::TVirtualModule(size_t dataSegmentBytes)
{
    if (dataSegmentBytes > kMaxMemoryBytes)
        throw std::invalid_argument("a data segment holds at most 65535 bytes");
    for (TController &controller : FControllers) {
        controller.parameterBlock = EmptyParameterBlock(uint16_t(dataSegmentBytes));
        controller.dataSegment.assign(dataSegmentBytes, kErasedByte);
    }
}

std::optional<TFrameOutcome> TVirtualModule::Receive(uint8_t byte)
{
    std::optional<TRequestFrame> frame = FParser.Receive(byte);
    if (!frame)
        return std::nullopt;
    return Handle(*frame);
}

TFrameOutcome TVirtualModule::Handle(const TRequestFrame &frame)
{
    TFrameOutcome outcome;
    outcome.entry.command = frame.command;
    outcome.entry.payload = frame.payload;
    outcome.entry.crcOk = frame.crcOk;
    const std::optional<TModuleCommandLayout> layout = FindCommand(frame.command);
    if (!frame.crcOk)
        outcome.entry.verdict = TFrameVerdict::fvBadCrc;
    else if (!layout)
        outcome.entry.verdict = TFrameVerdict::fvUnknownCommand;
    else
        outcome.entry.verdict = Check(frame, *layout);
    if (outcome.entry.verdict == TFrameVerdict::fvAccepted)
        outcome.reply = WithCrc(Execute(frame));
    outcome.entry.number = FTrace.Add(outcome.entry);
    return outcome;
}

TFrameVerdict TVirtualModule::Check(const TRequestFrame &frame, const TModuleCommandLayout &layout) const
{
    const int length = int(frame.payload.size());
    if (length < layout.minRequest || length > layout.maxRequest)
        return TFrameVerdict::fvBadLength;
    switch (layout.code) {
    case TCommandCode::ccConnect:
        return IsHandshakePattern(frame.payload) ? TFrameVerdict::fvAccepted
                                                 : TFrameVerdict::fvBadArgument;
    case TCommandCode::ccSelectMCU:
        if (frame.payload[0] >= kControllerCount)
            return TFrameVerdict::fvBadArgument;
        return FControllers[frame.payload[0]].absent ? TFrameVerdict::fvNotFitted : TFrameVerdict::fvAccepted;
    case TCommandCode::ccFlashInit:
        return frame.payload[kFlashInitModeOffset] <= uint8_t(TWriteMode::wmApplication)
                   ? TFrameVerdict::fvAccepted
                   : TFrameVerdict::fvBadArgument;
    case TCommandCode::ccFlashWrite:
        return CheckWrite(frame.payload.size());
    default:
        return TFrameVerdict::fvAccepted;
    }
}

// A "W" is refused (and so unanswered) when no "F" opened a session, or when its bytes would run
// past the data segment: the host must not take either for a success.
TFrameVerdict TVirtualModule::CheckWrite(size_t bytes) const
{
    if (FMode == TWriteMode::wmNone)
        return TFrameVerdict::fvNoWriteSession;
    if (FMode == TWriteMode::wmDataSegment &&
        FPosition + bytes > FControllers[size_t(FSelected)].dataSegment.size())
        return TFrameVerdict::fvPastEnd;
    return TFrameVerdict::fvAccepted;
}

std::vector<uint8_t> TVirtualModule::Execute(const TRequestFrame &frame)
{
    TController &controller = FControllers[size_t(FSelected)];
    switch (TCommandCode(frame.command)) {
    case TCommandCode::ccConnect:
        EndWriteSession();
        return {'K', 'E', 'V', kVersionMajor, kVersionMinor, uint8_t(FSelected), kControllerCount};
    case TCommandCode::ccSelectMCU:
        EndWriteSession();
        FSelected = frame.payload[0];
        return {uint8_t(FSelected), kControllerCount};
    case TCommandCode::ccDisconnect:
        EndWriteSession();
        FSelected = 0;
        return {'Q', 0};
    case TCommandCode::ccFlashInit:
        FMode = TWriteMode(frame.payload[kFlashInitModeOffset]);
        FKey = frame.payload[kFlashInitKeyOffset];
        FPosition = 0;
        FBlockBuffer.clear();
        if (FMode == TWriteMode::wmApplication)
            controller.programMemory.clear();
        return {uint8_t(FMode), FKey};
    case TCommandCode::ccFlashWrite: {
        const uint16_t position = Write(frame.payload);
        return {uint8_t(position >> 8), uint8_t(position & 0xFF)};
    }
    case TCommandCode::ccReadPSEG:
        return ParameterBlockBytes(controller.parameterBlock);
    case TCommandCode::ccReadDSEG:
        return ReadDataSegment();
    }
    return {};
}

std::vector<uint8_t> TVirtualModule::ReadDataSegment() const
{
    const TController &controller = FControllers[size_t(FSelected)];
    const size_t length = controller.parameterBlock[kDataSegmentLengthWord];
    std::vector<uint8_t> bytes(length, kErasedByte);
    const size_t stored = std::min(length, controller.dataSegment.size());
    std::copy_n(controller.dataSegment.begin(), stored, bytes.begin());
    return bytes;
}

// Appends `bytes` at the write position in the memory that the session's mode chose, and returns
// the position after them. Bytes past the memory's end are dropped.
uint16_t TVirtualModule::Write(const std::vector<uint8_t> &bytes)
{
    TController &controller = FControllers[size_t(FSelected)];
    switch (FMode) {
    case TWriteMode::wmNone: // refused by CheckWrite
        break;
    case TWriteMode::wmParameterBlock:
        WriteParameterBlock(bytes);
        break;
    case TWriteMode::wmDataSegment: // CheckWrite made sure the bytes fit
        for (uint8_t byte : bytes)
            controller.dataSegment[FPosition++] = byte;
        break;
    case TWriteMode::wmApplication:
        for (uint8_t byte : bytes) {
            if (FPosition >= kMaxMemoryBytes)
                break;
            controller.programMemory.push_back(uint8_t(byte - FKey));
            ++FPosition;
        }
        break;
    }
    return uint16_t(FPosition);
}

// Collects the 8 bytes of a parameter block (over one "W" or several) and stores the block once
// it is whole, only if its last two bytes are the CRC of the first six. Later bytes of the same
// session are dropped.
void TVirtualModule::WriteParameterBlock(const std::vector<uint8_t> &bytes)
{
    const size_t before = FBlockBuffer.size();
    for (uint8_t byte : bytes) {
        if (FBlockBuffer.size() >= size_t(kParameterBlockBytes))
            break;
        FBlockBuffer.push_back(byte);
    }
    FPosition = FBlockBuffer.size();
    if (FBlockBuffer.size() == before || FBlockBuffer.size() != size_t(kParameterBlockBytes))
        return;
    if (CRC16(FBlockBuffer.data(), kParameterBlockBytes) == 0) {
        TController &controller = FControllers[size_t(FSelected)];
        for (size_t k = 0; k < 4; ++k)
            controller.parameterBlock[k] = WordAt(FBlockBuffer, 2 * k);
    }
}

void TVirtualModule::EndSession()
{
    FParser.DiscardPartialFrame();
    EndWriteSession();
    FSelected = 0;
}

void TVirtualModule::EndWriteSession()
{
    FMode = TWriteMode::wmNone;
    FPosition = 0;
    FBlockBuffer.clear();
}

void TVirtualModule::LoadDataSegment(int index, const std::vector<uint8_t> &contents)
{
    std::vector<uint8_t> &segment = Controller(index).dataSegment;
    const size_t stored = std::min(contents.size(), segment.size());
    std::fill(segment.begin(), segment.end(), kErasedByte);
    std::copy_n(contents.begin(), stored, segment.begin());
}

void TVirtualModule::LoadDataSegmentAll(const std::vector<uint8_t> &contents)
{
    for (int index = 0; index < kControllerCount; ++index)
        LoadDataSegment(index, contents);
}

} // namespace morlith
