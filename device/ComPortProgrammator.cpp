// SPDX-License-Identifier: MIT
#include "ComPortProgrammator.h"

#include "Crc16.h"
#include "AtomicFile.h"
#include "DataFile.h"
#include "DocumentFile.h"
#include "MorlithFileConverter.h"
#include "PackageAcceptance.h"
#include "PortAddress.h"
#include "PortMap.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace morlith {
namespace {
// Around a handshake and a goodbye, input that keeps arriving from an earlier, failed exchange is
// dropped until the line has been quiet this long (but never for longer than the cap).
constexpr uint32_t kStaleInputQuietMs = 20;
constexpr uint32_t kStaleInputMaxMs = 300;

// A data file or package that cannot be read or written.
TFailure FileFailure(const std::string &Detail, int Errno, const std::string &Path)
{
    TFailure failure = MakeFailure(TFailureKind::fkFile, Detail);
    failure.OsError = Errno;
    failure.OsText = std::generic_category().message(Errno);
    failure.Path = Path;
    return failure;
}
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
    // A stop request also ends a wait for a reply, not only the work between exchanges.
    FDriver->SetStopFlag(&FAbortRequested);
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

bool TComPortProgrammator::Fail(TFailure Failure, const std::string &Step)
{
    FLastFailure = std::move(Failure);
    FLastFailure.During(Step);
    if (FLastFailure.Device.empty() && FDriver->Connected())
        FLastFailure.Device = FDriver->DevicePath();
    return false;
}

bool TComPortProgrammator::Fail(TFailureKind Kind, const std::string &Detail, const std::string &Step)
{
    return Fail(MakeFailure(Kind, Detail), Step);
}

bool TComPortProgrammator::FailCommand(const std::string &Step, const TCPPCommand &Command)
{
    Fail(Command.LastFailure(), Step);
    // A port that went away is closed at once: nothing more (not even a goodbye) is sent to it,
    // and the next Connect opens afresh.
    if (FLastFailure.Kind == TFailureKind::fkHangUp)
        DropConnection();
    return false;
}

void TComPortProgrammator::DropConnection()
{
    FDriver->Disconnect();
    FConnected = false;
}

bool TComPortProgrammator::Aborted(const std::string &Step)
{
    if (!FAbortRequested)
        return false;
    Fail(TFailureKind::fkStopped, "stopped on request", Step);
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
    const std::string step = "connecting";
    if (Aborted(step))
        return false;
    if (!FDriver->Connect()) {
        TFailure failure = FDriver->LastFailure();
        failure.Device = LinkTarget(FDriver->DevicePath());
        // A port-map entry whose device is missing names both ends; a COM port that is its own
        // device ("COM5" opened as "\\.\COM5") names one; a device server that cannot be
        // reached has said why.
        const auto deviceNumber = ComPortNumber(failure.Device);
        const bool sameName =
            failure.Device == FPortName || (deviceNumber && deviceNumber == ComPortNumber(FPortName));
        if (failure.Kind == TFailureKind::fkNotFound && IsPortAddress(failure.Device))
            failure.Detail = (sameName ? "" : FPortName + " -> ") + failure.Detail;
        else if (failure.Kind == TFailureKind::fkNotFound)
            failure.Detail = (sameName ? FPortName : FPortName + " -> " + failure.Device) + ": no such device";
        return Fail(failure, step);
    }
    (void)FDriver->DiscardUntilQuiet(kStaleInputQuietMs, kStaleInputMaxMs);
    if (!FConnectCommand->Execute())
        return FailCommand(step, *FConnectCommand);
    return true;
}

bool TComPortProgrammator::Connect(int32_t PortNumber)
{
    FLastFailure = TFailure{};
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
    const std::string step = "selecting controller " + std::to_string(MCUIndex);
    if (Aborted(step))
        return false;
    if (!FSelectCommand->Execute())
        return FailCommand(step, *FSelectCommand);
    if (!FConnectCommand->Execute())
        return FailCommand(step + " (its handshake)", *FConnectCommand);
    FConnected = true;
    return true;
}

bool TComPortProgrammator::Disconnect()
{
    FLastFailure = TFailure{};
    if (FConnected) {
        // After a stop request or a hang-up nothing more is sent; the port just closes.
        if (!FAbortRequested && !FDriver->HungUp())
            (void)FDisconnectCommand->Execute();
        // A reply out of step (after a failed exchange) can make "Q" look answered before the
        // module has even read it; closing at once would then throw the end of the frame away.
        if (!FDriver->HungUp())
            (void)FDriver->DiscardUntilQuiet(kStaleInputQuietMs, kStaleInputMaxMs);
        DropConnection();
    }
    return true;
}

bool TComPortProgrammator::CheckConnection()
{
    // Nothing is sent: the line is only looked at, and a port gone while idle is closed as after a
    // failed exchange, so the next Connect opens it afresh.
    if (FConnected && !FDriver->LineUp())
        DropConnection();
    return FConnected;
}

bool TComPortProgrammator::SendChunks(const uint8_t *Data, uint32_t Size, const char *What,
                                      bool ReportProgress)
{
    const uint32_t chunks = (Size + kChunkBytes - 1) / kChunkBytes;
    // A chunk's progress is told once the next chunk's request is on the line, so that what a
    // listener does with it (a window repaints) takes none of the line's time; the last one's,
    // and one still untold when the stream ends early, at once.
    bool progressUntold = false;
    const auto tellProgress = [&] {
        if (progressUntold && OnProgress)
            OnProgress(this);
        progressUntold = false;
    };
    FFlashWriteCommand->DropPendingQuietCheck();
    FFlashWriteCommand->SetRequestSentHook(tellProgress);
    bool sent = true;
    for (uint32_t offset = 0, chunk = 1; sent && offset < Size; offset += kChunkBytes, ++chunk) {
        const std::string step = std::string(What) + " chunk " + std::to_string(chunk) + " of " +
                                 std::to_string(chunks);
        if (Aborted(step)) {
            sent = false;
            break;
        }
        FFlashWriteCommand->Count = 0;
        const uint32_t end = std::min(Size, offset + kChunkBytes);
        for (uint32_t i = offset; i < end; ++i)
            FFlashWriteCommand->SetPayload(FFlashWriteCommand->Count++, Data[i]);
        FFlashWriteCommand->SetNextRequestFollows(end < Size);
        if (!FFlashWriteCommand->Execute()) {
            sent = FailCommand(step, *FFlashWriteCommand);
            break;
        }
        if (ReportProgress) {
            FBytesSent = end;
            FProgress = ProgressPercent(end, Size);
            progressUntold = true;
        }
    }
    FFlashWriteCommand->SetRequestSentHook(nullptr);
    tellProgress();
    return sent;
}

bool TComPortProgrammator::FailFile(const std::system_error &Error, const std::string &FileName,
                                    const std::string &Step)
{
    return Fail(FileFailure(Error.what(), Error.code().value(), FileName), Step);
}

bool TComPortProgrammator::ReadParameterBlock(std::array<uint16_t, 4> &Words)
{
    FLastFailure = TFailure{};
    const std::string step = "reading the parameter block";
    if (!FConnected)
        return Fail(TFailureKind::fkOs, "not connected", step);
    if (Aborted(step))
        return false;
    if (!FReadPSEGCommand->Execute())
        return FailCommand(step, *FReadPSEGCommand);
    Words = FReadPSEGCommand->Words;
    return true;
}

bool TComPortProgrammator::ReadDataSegment(TByteArray &Data)
{
    FLastFailure = TFailure{};
    if (!FConnected)
        return Fail(TFailureKind::fkOs, "not connected", "reading the data segment");
    const std::string blockStep = "reading the parameter block";
    if (Aborted(blockStep))
        return false;
    if (!FReadPSEGCommand->Execute())
        return FailCommand(blockStep, *FReadPSEGCommand);
    FReadDSEGCommand->SetDataLength(FReadPSEGCommand->Words[2]);
    const std::string step =
        "reading the data segment (" + std::to_string(FReadDSEGCommand->DataLength()) + " bytes)";
    if (Aborted(step))
        return false;
    if (!FReadDSEGCommand->Execute())
        return FailCommand(step, *FReadDSEGCommand);
    Data.assign(FReadDSEGCommand->Data(), FReadDSEGCommand->Data() + FReadDSEGCommand->DataLength());
    return true;
}

bool TComPortProgrammator::ReadDSEG(const std::string &FileName)
{
    TByteArray data;
    if (!ReadDataSegment(data))
        return false;
    const TFailure saved = ReplaceFileAtomically(FileName, data.data(), data.size());
    return !saved.Failed() || Fail(saved, "saving the data segment");
}

bool TComPortProgrammator::WriteDataSegment(const TByteArray &Data)
{
    FLastFailure = TFailure{};
    if (!FConnected)
        return Fail(TFailureKind::fkOs, "not connected", "writing the data segment");
    FFlashInitCommand->Key = 0;
    FFlashInitCommand->SetMode(TCPPCommandFlashInit::kModeDataSegment);
    const std::string step = "starting the data-segment write";
    if (Aborted(step))
        return false;
    if (!FFlashInitCommand->Execute())
        return FailCommand(step, *FFlashInitCommand);
    return SendChunks(Data.data(), uint32_t(std::min<size_t>(Data.size(), UINT32_MAX)), "data-segment", false);
}

bool TComPortProgrammator::WriteDSEG(const std::string &FileName)
{
    FLastFailure = TFailure{};
    if (!FConnected)
        return Fail(TFailureKind::fkOs, "not connected", "writing the data segment");
    TByteArray content;
    try {
        content = ReadWholeFile(FileName);
    } catch (const std::system_error &error) {
        return FailFile(error, FileName, "reading the data file");
    }
    return WriteDataSegment(content);
}

bool TComPortProgrammator::WriteApplication(const std::string &FileName)
{
    FLastFailure = TFailure{};
    TByteArray content;
    const TFailure readFailure = ReadInputFile(FileName, kMaxDocumentBytes, "package", content);
    if (readFailure.Failed())
        return Fail(readFailure, "loading the package");
    return WritePackage(std::string(content.begin(), content.end()), FileName);
}

bool TComPortProgrammator::WritePackage(const std::string &Content, const std::string &Name)
{
    FLastFailure = TFailure{};
    const TFailure loadFailure = LoadPackageText(*FConverter, Content, Name);
    if (loadFailure.Failed())
        return Fail(loadFailure, "loading the package");
    if (!FConnected)
        return Fail(TFailureKind::fkOs, "not connected", "writing the application");
    // The whole package is checked before its first frame: a package that is refused leaves the
    // module as it was.
    const TByteArray &header = FConverter->Header();
    const TByteArray &image = FConverter->Image();
    const TFailure refusal = PackageRefusal(header, image);
    if (refusal.Failed())
        return Fail(refusal, "");
    FWritePSEGCommand->Words = HeaderWords(header);
    const std::string blockStep = "writing the parameter block";
    if (Aborted(blockStep))
        return false;
    if (!FWritePSEGCommand->Execute()) {
        Fail(FWritePSEGCommand->BlockFailure(), blockStep);
        if (FLastFailure.Kind == TFailureKind::fkHangUp)
            DropConnection();
        return false;
    }
    FFlashInitCommand->Key = ImageKey(header.data());
    FFlashInitCommand->SetMode(TCPPCommandFlashInit::kModeApplication);
    const std::string startStep = "starting the application write";
    if (Aborted(startStep))
        return false;
    if (!FFlashInitCommand->Execute())
        return FailCommand(startStep, *FFlashInitCommand);
    FProgress = 0;
    FBytesSent = 0;
    FBytesTotal = uint32_t(image.size());
    return SendChunks(image.data(), FBytesTotal, "application", true);
}

} // namespace morlith
