// SPDX-License-Identifier: MIT
#pragma once
// The protocol core of the virtual module: five controllers and the bootloader's commands, with
// no file descriptors and no clock. Bytes go in, replies come out.
//
// What the module answers (payload bytes, before the CRC):
//   "C"  7 bytes: 'K' 'E' 'V', bootloader version 1.0, selected controller index, controller count
//   "I"  2 bytes: the new controller index, controller count
//   "Q"  2 bytes: 'Q', 0
//   "F"  2 bytes: mode, key
//   "W"  2 bytes: the write position after this write, big-endian
//   "P"  8 bytes: the parameter block's four words, big-endian
//   "D"  the data segment, as long as the parameter block's third word says (0xFF past its end)
//
// "C", "I" and "Q" end a write session: a "W" must follow an "F" to store anything. A selection
// made with "I" lasts until "Q" or the end of the session (the host closing its port,
// EndSession); a new session starts at the main controller. A frame with a wrong CRC, an unknown
// command, a payload length that does not suit the command, a controller index over 4, a mode
// over 2 or a handshake whose bytes are not 0, 1 .. 49 gets no reply and changes nothing; nor
// does a "W" with no "F" before it in the session, an "I" selecting an absent slave, or a data-segment "W" that would run past the
// segment's end. Application bytes past 65535 and parameter-block bytes past the eighth are
// dropped, and the reply's write position shows it.

#include "FrameParser.h"
#include "FrameTrace.h"
#include "ModuleProtocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace morlith {

// The memories of one controller.
struct TController {
    // Image length, image CRC, data-segment length, CRC of the first six bytes.
    std::array<uint16_t, 4> parameterBlock{};
    // The application image as the module holds it: plain, the key taken off.
    std::vector<uint8_t> programMemory;
    // The data segment, of fixed size.
    std::vector<uint8_t> dataSegment;
    // A slave not fitted: its selection gets no reply.
    bool absent = false;
};

// The parameter block of an empty controller: no image (length 0, CRC 0xFFFF of nothing), the
// given data-segment length, and the CRC of those six bytes.
std::array<uint16_t, 4> EmptyParameterBlock(uint16_t dataSegmentLength);

// The parameter block as 8 bytes, each word high byte first.
std::vector<uint8_t> ParameterBlockBytes(const std::array<uint16_t, 4> &words);

// What became of one complete request frame.
struct TFrameOutcome {
    // The trace entry (numbered from 1).
    TTraceEntry entry;
    // The reply with its CRC, or nothing when the frame gets no reply.
    std::optional<std::vector<uint8_t>> reply;
};

// A module's bootloader: parses requests byte by byte and answers them.
class TVirtualModule {
public:
    // A module whose controllers each have a data segment of `dataSegmentBytes` (at most 65535),
    // erased (0xFF), and an empty program memory.
    explicit TVirtualModule(size_t dataSegmentBytes = kDefaultDataSegmentBytes);

    // Takes one received byte; returns the outcome of the frame that this byte completes.
    std::optional<TFrameOutcome> Receive(uint8_t byte);

    // The line fell silent: a partial frame is dropped (see TFrameParser).
    void DiscardPartialFrame() { FParser.DiscardPartialFrame(); }

    // The host hung up its port: a partial frame and the write session are dropped, and the main
    // controller is selected again.
    void EndSession();

    // True while a frame has begun but not ended.
    bool HasPartialFrame() const { return FParser.HasPartialFrame(); }

    // Bytes dropped as garbage so far.
    uint64_t DiscardedBytes() const { return FParser.DiscardedBytes(); }

    // Handles a whole frame (as Receive does at its last byte).
    TFrameOutcome Handle(const TRequestFrame &frame);

    // Fills one controller's data segment from `contents`: cut to its size, the rest 0xFF.
    void LoadDataSegment(int index, const std::vector<uint8_t> &contents);

    // Fills every controller's data segment from `contents`.
    void LoadDataSegmentAll(const std::vector<uint8_t> &contents);

    // Controller `index` (0..4).
    TController &Controller(int index) { return FControllers.at(size_t(index)); }
    const TController &Controller(int index) const { return FControllers.at(size_t(index)); }

    // The controller that "I" selected in this session (0 at start and after "Q" or EndSession).
    int SelectedIndex() const { return FSelected; }

    // Every frame received, in order; thread-safe to read while the module runs.
    const TFrameTrace &Trace() const { return FTrace; }

private:
    TFrameVerdict Check(const TRequestFrame &frame, const TModuleCommandLayout &layout) const;
    TFrameVerdict CheckWrite(size_t bytes) const;
    std::vector<uint8_t> Execute(const TRequestFrame &frame);
    std::vector<uint8_t> ReadDataSegment() const;
    uint16_t Write(const std::vector<uint8_t> &bytes);
    void WriteParameterBlock(const std::vector<uint8_t> &bytes);
    void EndWriteSession();

    std::array<TController, kControllerCount> FControllers;
    int FSelected = 0;
    TWriteMode FMode = TWriteMode::wmNone;
    uint8_t FKey = 0;
    size_t FPosition = 0;
    std::vector<uint8_t> FBlockBuffer;
    TFrameParser FParser;
    TFrameTrace FTrace;
};

} // namespace morlith
