#include "ComPortProgrammator.h"

#include "Crc16.h"
#include "DataFile.h"
#include "MorlithFileConverter.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace morlith {
namespace {
constexpr size_t kHeaderBytes = 8;
// Around a handshake and a goodbye, input that keeps arriving from an earlier, failed exchange is
// dropped until the line has been quiet this long (but never for longer than the cap).
constexpr uint32_t kStaleInputQuietMs = 20;
constexpr uint32_t kStaleInputMaxMs = 300;
} // namespace

uint8_t ImageKey(const uint8_t *header8)
{
    unsigned sum = 0;
    for (size_t i = 0; i < kHeaderBytes; ++i)
        sum += header8[i];
    const uint8_t key = uint8_t(sum);
    return key == 0 ? kSubstituteImageKey : key;
}

int32_t ProgressPercent(uint64_t sent, uint64_t total)
{
    if (total == 0)
        return 100;
    const uint64_t scaled = sent * 100;
    uint64_t percent = scaled / total;
    const uint64_t twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && percent % 2 == 1))
        ++percent;
    return int32_t(percent);
}

TComPortProgrammator::TComPortProgrammator()
    : FConverter(std::make_unique<TMorlithFileConverter>()),
      FDriver(std::make_unique<TCommPortDriver>())
{
    FDriver->SetBaudRateValue(kBootloaderBitRate);
    FDriver->SetInputTimeout(kReplyInactivityMs);
    FConnectCommand = std::make_unique<TCPPCommandConnect>(FDriver.get());
    FSelectCommand = std::make_unique<TCPPCommandSelectMCUIndex>(FDriver.get());
    FDisconnectCommand = std::make_unique<TCPPCommandDisconnect>(FDriver.get());
    FFlashInitCommand = std::make_unique<TCPPCommandFlashInit>(FDriver.get());
    FFlashWriteCommand = std::make_unique<TCPPCommandFlashWrite>(FDriver.get());
    FReadPSEGCommand = std::make_unique<TCPPCommandReadPSEG>(FDriver.get());
    FWritePSEGCommand = std::make_unique<TCPPCommandWritePSEG>(FDriver.get());
    FReadDSEGCommand = std::make_unique<TCPPCommandReadDSEG>(FDriver.get());
    FWritePSEGCommand->FlashInitCommand = FFlashInitCommand.get();
    FWritePSEGCommand->FlashWriteCommand = FFlashWriteCommand.get();
}

TComPortProgrammator::~TComPortProgrammator()
{
    // The commands go first, in the order made, then the driver (closing the port), then the
    // converter. No disconnect command is sent.
    FConnectCommand.reset();
    FSelectCommand.reset();
    FDisconnectCommand.reset();
    FFlashInitCommand.reset();
    FFlashWriteCommand.reset();
    FReadPSEGCommand.reset();
    FWritePSEGCommand.reset();
    FReadDSEGCommand.reset();
    FDriver.reset();
    FConverter.reset();
}

void TComPortProgrammator::SetFrameTrace(const TFrameTraceHook &Trace)
{
    const std::array<TCPPCommand *, 8> commands = {
        FConnectCommand.get(),   FSelectCommand.get(),    FDisconnectCommand.get(),
        FFlashInitCommand.get(), FFlashWriteCommand.get(), FReadPSEGCommand.get(),
        FWritePSEGCommand.get(), FReadDSEGCommand.get()};
    for (TCPPCommand *command : commands)
        command->SetTrace(Trace);
}

void TComPortProgrammator::SetPortNaming(std::function<std::string(int32_t)> Naming)
{
    FPortNaming = std::move(Naming);
}

bool TComPortProgrammator::Fail(const std::string &Reason)
{
    FLastFailure = Reason;
    return false;
}

bool TComPortProgrammator::FailCommand(const std::string &Step, const TCPPCommand &Command)
{
    return Fail(Step + ": " + Command.FailureText());
}

bool TComPortProgrammator::Aborted(const std::string &Step)
{
    if (!FAbortRequested)
        return false;
    Fail("stopped on request before " + Step);
    return true;
}

bool TComPortProgrammator::Handshake(int32_t PortNumber)
{
    // A port left open by a failed handshake is closed first, so that the port asked for is the
    // one that gets opened.
    if (FDriver->Connected())
        FDriver->Disconnect();
    FPortName = FPortNaming ? FPortNaming(PortNumber) : "COM" + std::to_string(PortNumber);
    FDriver->SetPortName(FPortName);
    if (Aborted("opening " + FPortName))
        return false;
    if (!FDriver->Connect())
        return Fail(FPortName + ": " + FDriver->LastErrorText());
    (void)FDriver->DiscardUntilQuiet(kStaleInputQuietMs, kStaleInputMaxMs);
    if (!FConnectCommand->Execute())
        return FailCommand("no answer from the bootloader on " + FPortName, *FConnectCommand);
    return true;
}

bool TComPortProgrammator::Connect(int32_t PortNumber)
{
    FLastFailure.clear();
    if (FConnected)
        return true;
    if (!Handshake(PortNumber))
        return false;
    FConnected = true;
    return true;
}

bool TComPortProgrammator::SelectMCU(int32_t PortNumber, uint8_t MCUIndex)
{
    if (!Connect(PortNumber))
        return false;
    FConnected = false;
    FSelectCommand->MCUIndex = MCUIndex;
    const std::string controller = "controller " + std::to_string(MCUIndex);
    if (Aborted("selecting " + controller))
        return false;
    if (!FSelectCommand->Execute())
        return FailCommand("cannot select " + controller, *FSelectCommand);
    if (!FConnectCommand->Execute())
        return FailCommand("no answer from " + controller + " after selecting it", *FConnectCommand);
    FConnected = true;
    return true;
}

bool TComPortProgrammator::Disconnect()
{
    FLastFailure.clear();
    if (FConnected) {
        if (!FAbortRequested) // after a stop request nothing more is sent, the port just closes
            (void)FDisconnectCommand->Execute();
        // A reply out of step (after a failed exchange) can make "Q" look answered before the
        // module has even read it; closing at once would then throw the end of the frame away.
        (void)FDriver->DiscardUntilQuiet(kStaleInputQuietMs, kStaleInputMaxMs);
        FDriver->Disconnect();
        FConnected = false;
    }
    return true;
}

bool TComPortProgrammator::SendChunks(const uint8_t *Data, uint32_t Size, const char *What,
                                      bool ReportProgress)
{
    const uint32_t chunks = (Size + kChunkBytes - 1) / kChunkBytes;
    for (uint32_t offset = 0, chunk = 1; offset < Size; offset += kChunkBytes, ++chunk) {
        const std::string step = std::string(What) + " chunk " + std::to_string(chunk) + " of " +
                                 std::to_string(chunks);
        if (Aborted(step))
            return false;
        FFlashWriteCommand->Count = 0;
        const uint32_t end = std::min(Size, offset + kChunkBytes);
        for (uint32_t i = offset; i < end; ++i)
            FFlashWriteCommand->SetPayload(FFlashWriteCommand->Count++, Data[i]);
        if (!FFlashWriteCommand->Execute())
            return FailCommand(step, *FFlashWriteCommand);
        if (ReportProgress) {
            FBytesSent = end;
            FProgress = ProgressPercent(end, Size);
            if (OnProgress)
                OnProgress(this);
        }
    }
    return true;
}

bool TComPortProgrammator::ReadDSEG(const std::string &FileName)
{
    FLastFailure.clear();
    if (!FConnected)
        return Fail("not connected");
    if (Aborted("reading the parameter block"))
        return false;
    if (!FReadPSEGCommand->Execute())
        return FailCommand("cannot read the parameter block", *FReadPSEGCommand);
    FReadDSEGCommand->SetDataLength(FReadPSEGCommand->Words[2]);
    if (Aborted("reading the data segment"))
        return false;
    if (!FReadDSEGCommand->Execute())
        return FailCommand("cannot read the data segment (" +
                               std::to_string(FReadDSEGCommand->DataLength()) + " bytes)",
                           *FReadDSEGCommand);
    WriteFileAtomically(FileName, FReadDSEGCommand->Data(), FReadDSEGCommand->DataLength());
    return true;
}

bool TComPortProgrammator::WriteDSEG(const std::string &FileName)
{
    FLastFailure.clear();
    if (!FConnected)
        return Fail("not connected");
    const std::vector<uint8_t> content = ReadWholeFile(FileName);
    FFlashInitCommand->Key = 0;
    FFlashInitCommand->SetMode(TCPPCommandFlashInit::kModeDataSegment);
    if (Aborted("starting the data-segment write"))
        return false;
    if (!FFlashInitCommand->Execute())
        return FailCommand("cannot start the data-segment write", *FFlashInitCommand);
    return SendChunks(content.data(), uint32_t(std::min<size_t>(content.size(), UINT32_MAX)),
                      "data-segment", false);
}

bool TComPortProgrammator::LoadPackage(const std::string &FileName)
{
    FConverter->LoadFromFile(FileName);
    // A package that did not load must not be mistaken for the one loaded before it.
    if (!FConverter->LastLoadSucceeded())
        return Fail("cannot load package " + FileName + ": " +
                    FConverter->Serializer().LastError());
    if (!FConverter->Decode())
        return Fail("package " + FileName + " does not decode: " + FConverter->LastDecodeError());
    return true;
}

bool TComPortProgrammator::CheckImage(uint8_t Key)
{
    const auto &image = FConverter->Image();
    const uint16_t expected = FWritePSEGCommand->Words[0];
    if (image.size() != expected)
        return Fail("image is " + std::to_string(image.size()) + " bytes, the header says " +
                    std::to_string(expected));
    // The CRC of the image with the key taken off, computed a block at a time without copying
    // the image.
    uint16_t crc = 0xFFFF;
    uint8_t block[256];
    for (size_t offset = 0; offset < image.size(); offset += sizeof block) {
        const size_t n = std::min(sizeof block, image.size() - offset);
        for (size_t i = 0; i < n; ++i)
            block[i] = uint8_t(image[offset + i] - Key);
        crc = CRC16Continue(crc, block, int64_t(n));
    }
    if (crc != FWritePSEGCommand->Words[1]) {
        char text[96];
        std::snprintf(text, sizeof text, "image CRC 0x%04X differs from the header's 0x%04X", crc,
                      FWritePSEGCommand->Words[1]);
        return Fail(text);
    }
    return true;
}

bool TComPortProgrammator::WriteApplication(const std::string &FileName)
{
    FLastFailure.clear();
    if (!LoadPackage(FileName))
        return false;
    if (!FConnected)
        return Fail("not connected");
    const auto &header = FConverter->Header();
    if (header.size() != kHeaderBytes)
        return Fail("package header is " + std::to_string(header.size()) + " bytes, not 8");
    if (CRC16(header.data(), int64_t(kHeaderBytes)) != 0)
        return Fail("package header fails its CRC");
    for (size_t k = 0; k < 4; ++k)
        FWritePSEGCommand->Words[k] = uint16_t(header[2 * k] << 8 | header[2 * k + 1]);
    if (Aborted("writing the parameter block"))
        return false;
    if (!FWritePSEGCommand->Execute())
        return Fail("cannot write the parameter block: " + FWritePSEGCommand->BlockFailure());
    const uint8_t key = ImageKey(header.data());
    if (!CheckImage(key))
        return false;
    FFlashInitCommand->Key = key;
    FFlashInitCommand->SetMode(TCPPCommandFlashInit::kModeApplication);
    if (Aborted("starting the application write"))
        return false;
    if (!FFlashInitCommand->Execute())
        return FailCommand("cannot start the application write", *FFlashInitCommand);
    FProgress = 0;
    FBytesSent = 0;
    FBytesTotal = uint32_t(FConverter->Image().size());
    return SendChunks(FConverter->Image().data(), FBytesTotal, "application", true);
}

} // namespace morlith
