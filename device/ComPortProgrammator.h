// SPDX-License-Identifier: MIT
#pragma once
// TComPortProgrammator: the programmator over a serial port and the bootloader's commands.

#include "BootloaderCommands.h"
#include "CPDrv.h"
#include "HexText.h"
#include "Programmator.h"

#include <memory>
#include <system_error>

namespace morlith {

class TMorlithFileConverter;

// Added to every image byte by a package whose header bytes sum to 0 modulo 256.
constexpr uint8_t kSubstituteImageKey = 0x5A;
// The line speed and reply inactivity limit of the bootloader.
constexpr uint32_t kBootloaderBitRate = 19200;
constexpr uint32_t kReplyInactivityMs = 1000;
// Bytes of image or data per "W" frame.
constexpr uint32_t kChunkBytes = 50;

// The key of a package: the sum of its 8 header bytes modulo 256, or the substitute when 0.
uint8_t ImageKey(const uint8_t *header8);
// sent * 100 / total rounded to the nearest integer, a half going to the even neighbour.
int32_t ProgressPercent(uint64_t sent, uint64_t total);

class TComPortProgrammator : public TProgrammator {
public:
    TComPortProgrammator();
    ~TComPortProgrammator() override;

    bool Connect(int32_t PortNumber) override;
    bool SelectMCU(int32_t PortNumber, uint8_t MCUIndex) override;
    bool Disconnect() override;
    bool CheckConnection() override;
    bool WriteApplication(const std::string &FileName) override;
    // Reads the data segment into FileName (replaced as a whole); a file that cannot be written
    // is a failure of kind "file".
    bool ReadDSEG(const std::string &FileName) override;
    // Writes the content of FileName into the data segment; a file that cannot be read is a
    // failure of kind "file", with nothing sent.
    bool WriteDSEG(const std::string &FileName) override;

    // The same three operations on bytes already in memory, so that a front end sends exactly the
    // bytes it checked and fingerprinted: the package text `Content` (named `Name` in messages),
    // the data segment read into `Data`, and `Data` written into the data segment.
    bool WritePackage(const std::string &Content, const std::string &Name);
    bool ReadDataSegment(TByteArray &Data);
    bool WriteDataSegment(const TByteArray &Data);

    // Reads the parameter block of the selected controller (image length, image CRC, data-segment
    // length, block CRC); needs a connection. False with LastFailure on failure.
    bool ReadParameterBlock(std::array<uint16_t, 4> &Words);

    // The serial port driver, for front ends that tune it (the reply inactivity limit).
    TCommPortDriver &Driver() { return *FDriver; }
    // The package converter, for front ends that inspect a package.
    TMorlithFileConverter &Converter() { return *FConverter; }
    // Installs a hook that sees every frame sent and every reply read (empty to remove).
    void SetFrameTrace(const TFrameTraceHook &Trace);
    // Replaces how a port number becomes the name the driver opens ("COM<n>" by default); a
    // front end that was given a device path maps every number to it.
    void SetPortNaming(std::function<std::string(int32_t PortNumber)> Naming);

private:
    bool Fail(TFailure Failure, const std::string &Step);
    bool Fail(TFailureKind Kind, const std::string &Detail, const std::string &Step = "");
    bool FailCommand(const std::string &Step, const TCPPCommand &Command);
    void DropConnection();
    bool Aborted(const std::string &Step);
    bool Handshake(int32_t PortNumber);
    bool FailFile(const std::system_error &Error, const std::string &FileName, const std::string &Step);
    bool SendChunks(const uint8_t *Data, uint32_t Size, const char *What, bool ReportProgress);

    std::unique_ptr<TMorlithFileConverter> FConverter;
    std::unique_ptr<TCommPortDriver> FDriver;
    std::unique_ptr<TCPPCommandConnect> FConnectCommand;
    std::unique_ptr<TCPPCommandSelectMCUIndex> FSelectCommand;
    std::unique_ptr<TCPPCommandDisconnect> FDisconnectCommand;
    std::unique_ptr<TCPPCommandFlashInit> FFlashInitCommand;
    std::unique_ptr<TCPPCommandFlashWrite> FFlashWriteCommand;
    std::unique_ptr<TCPPCommandReadPSEG> FReadPSEGCommand;
    std::unique_ptr<TCPPCommandWritePSEG> FWritePSEGCommand;
    std::unique_ptr<TCPPCommandReadDSEG> FReadDSEGCommand;
    std::string FPortName;
    std::function<std::string(int32_t)> FPortNaming;
};

} // namespace morlith
