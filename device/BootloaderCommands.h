// SPDX-License-Identifier: MIT
#pragma once
// The bootloader's commands, one class each. Every class declares its command byte and payload
// lengths as data (kSpec) and performs its exchange through TCPPCommand::Exchange.

#include "CommandFrame.h"

#include <array>
#include <cstdint>

namespace morlith {

// "C": the handshake; 50 bytes 0..49, reply 7.
class TCPPCommandConnect : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'C', 50, 7};
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
};

// "I": selects the controller MCUIndex (0 main, 1..4 slaves); reply 2.
class TCPPCommandSelectMCUIndex : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'I', 1, 2};
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
    uint8_t MCUIndex = 0;
};

// "Q": leaves the bootloader session; reply 2.
class TCPPCommandDisconnect : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'Q', 0, 2};
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
};

// "F": starts a write; 50 bytes of random filler with Mode at byte 5 and Key at byte 7; reply 2.
class TCPPCommandFlashInit : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'F', 50, 2};
    // What the writes that follow carry.
    enum : uint8_t { kModeParameterBlock = 0, kModeDataSegment = 1, kModeApplication = 2 };
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
    // Stores 0, 1 or 2; a larger value is ignored.
    void SetMode(uint8_t Value);
    uint8_t Mode() const { return FMode; }
    uint8_t Key = 0;

private:
    uint8_t FMode = 0;
};

// "W": Count (1..50) data bytes from the payload; reply 2.
class TCPPCommandFlashWrite : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'W', 0, 2}; // request length is Count
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
    uint8_t Count = 0;
};

// "P": reads the parameter block, four big-endian words; Words[2] is the data segment's length.
class TCPPCommandReadPSEG : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'P', 0, 8};
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
    std::array<uint16_t, 4> Words{};
};

// "D": reads the data segment; SetDataLength must come before every Execute.
class TCPPCommandReadDSEG : public TCPPCommand {
public:
    static constexpr TCommandLayout kSpec{'D', 0, 0}; // reply length is DataLength
    explicit TCPPCommandReadDSEG(TCommPortDriver *Driver);
    bool Execute() override;
    // Stores the length and sizes the buffer for the reply.
    void SetDataLength(uint16_t Length);
    uint16_t DataLength() const { return FDataLength; }
    // The data segment bytes of the last successful Execute.
    const uint8_t *Data() const { return Buffer().data() + 2; }

private:
    uint16_t FDataLength = 0;
};

// The parameter block write: "F" with mode 0 and key 0, then "W" with the 8 bytes of Words, the
// last word replaced by the CRC of the first three.
class TCPPCommandWritePSEG : public TCPPCommand {
public:
    using TCPPCommand::TCPPCommand;
    bool Execute() override;
    // Why the last Execute failed (from the "F" or "W" it ran).
    TFailure BlockFailure() const;
    TCPPCommandFlashInit *FlashInitCommand = nullptr; // not owned
    TCPPCommandFlashWrite *FlashWriteCommand = nullptr; // not owned
    std::array<uint16_t, 4> Words{};

private:
    bool FFailedInInit = false;
};

} // namespace morlith
