// SPDX-License-Identifier: MIT
#include "CPDrv.h"

#include "MonotonicClock.h"
#include "PathText.h"
#include "PortAddress.h"
#include "PortMap.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace morlith {
namespace {

constexpr uint32_t kMinBufSize = 128;
constexpr uint32_t kMaxBufSize = 8192;
constexpr uint16_t kMinPollingDelayMs = 5;
constexpr uint32_t kClosedQueueValue = 65535;
// Pause between checks while the output queue is fuller than OutBufSize allows.
constexpr std::chrono::milliseconds kOutputRoomRecheck{2};

constexpr uint32_t kBaudTable[] = {0,     110,   300,   600,    1200,   2400,   4800,   9600,
                                   14400, 19200, 38400, 56000,  57600,  115200, 128000, 256000};

uint32_t ClampBufSize(uint32_t value) { return std::clamp(value, kMinBufSize, kMaxBufSize); }

} // namespace

uint32_t BaudRateOf(TBaudRate rate)
{
    return rate < std::size(kBaudTable) ? kBaudTable[rate] : 0;
}

TCommPortDriver::TCommPortDriver()
    : FTimerWindow(CreatePollTimer())
{
    FPollBuffer.assign(FInBufSize, 0);
}

TCommPortDriver::~TCommPortDriver() { Disconnect(); }

std::string TCommPortDriver::DevicePath() const { return ResolvePortName(FPortName); }

bool TCommPortDriver::Connect()
{
    if (Connected())
        return true;
    FLastFailure = TFailure{};
    FOpenedDevice.clear();
    const std::string path = DevicePath();
    FHandle = MakeSerialLine(path, FStopFlag);
    if (!FHandle->Open(path)) {
        FLastFailure = FHandle->LastFailure();
        return false;
    }
    if (!ApplyLineSettings()) {
        FLastFailure = FHandle->LastFailure();
        FHandle->Close();
        return false;
    }
    std::error_code error;
    const std::filesystem::path node =
        IsPortAddress(path) ? std::filesystem::path() : std::filesystem::canonical(PathFromUtf8(path), error);
    FOpenedDevice = error || node.empty() ? path : Utf8OfPath(node);
    StartPolling();
    return true;
}

bool TCommPortDriver::StopRequested()
{
    if (FStopFlag == nullptr || !FStopFlag->load())
        return false;
    FLastFailure = MakeFailure(TFailureKind::fkStopped, "stopped on request");
    FLastFailure.Device = FHandle ? FHandle->Device() : DevicePath();
    return true;
}

uint32_t TCommPortDriver::WaitSlice(uint32_t remainingMs) const
{
    return FStopFlag != nullptr ? std::min(remainingMs, kStopCheckMs) : remainingMs;
}

void TCommPortDriver::NoteHangUp()
{
    FLastFailure = FHandle->LastFailure();
    if (FLastFailure.Kind != TFailureKind::fkHangUp)
        FLastFailure = MakeFailure(TFailureKind::fkHangUp, "");
    // A line behind a device server says how its connection ended; a local device went away.
    if (IsPortAddress(FHandle->Device()) && !FLastFailure.Detail.empty())
        FLastFailure.Detail = FPortName + ": " + FLastFailure.Detail;
    else
        FLastFailure.Detail = FPortName + " went away (adapter unplugged?)";
    FLastFailure.Device = FHandle->Device();
}

bool TCommPortDriver::LineUp()
{
    if (!Connected())
        return false;
    // Inside a read the read itself notices. Otherwise a wait of no time reports a hang-up, or
    // readiness without any byte queued, which a read then turns into the hang-up it is.
    if (FReadNesting == 0 && !FHandle->HungUp() &&
        FHandle->WaitReadable(0) == WaitResult::Ready && FHandle->InputCount() <= 0) {
        uint8_t stray = 0;
        (void)FHandle->Read(&stray, 1);
    }
    if (!FHandle->HungUp())
        return true;
    NoteHangUp();
    return false;
}

void TCommPortDriver::Disconnect()
{
    if (!Connected())
        return;
    StopPolling();
    FHandle->Close();
}

bool TCommPortDriver::ApplyLineSettings()
{
    if (!Connected())
        return false;
    LineSettings settings;
    settings.BaudRate = FBaudRateValue;
    settings.DataBits = int(std::min<unsigned>(FDataBits, db8BITS)) + 5;
    settings.Parity = static_cast<LineParity>(std::min<unsigned>(FParity, ptSPACE));
    settings.StopBits = static_cast<LineStopBits>(std::min<unsigned>(FStopBits, sb2BITS));
    settings.RtsCtsFlow = FHwFlow == hfRTSCTS;
    settings.Rts = FHwFlow == hfNONERTSON;
    settings.XonXoffFlow = FSwFlow == sfXONXOFF;
    settings.Dtr = FEnableDTROnOpen;
    // Where the system sizes the queues on request they get InBufSize and OutBufSize; elsewhere
    // these bound what this driver reads and how full it lets the output queue get.
    settings.InQueueSize = FInBufSize;
    settings.OutQueueSize = FOutBufSize;
    return FHandle->Configure(settings) && PurgeQueues(true, true);
}

void TCommPortDriver::ApplyLineSettingsIfOpen()
{
    if (Connected())
        (void)ApplyLineSettings();
}

bool TCommPortDriver::PurgeQueues(bool Input, bool Output)
{
    if (!Connected() || !FHandle->Purge(Input, Output))
        return false;
    FPacketStartTick = -1;
    return true;
}

uint32_t TCommPortDriver::InQueueCount()
{
    if (!Connected())
        return kClosedQueueValue;
    const long count = FHandle->InputCount();
    return count < 0 ? 0 : uint32_t(count);
}

uint16_t TCommPortDriver::OutQueueRoom()
{
    if (!Connected())
        return kClosedQueueValue;
    const long queued = std::max(0L, FHandle->OutputCount());
    return uint16_t(queued >= long(FOutBufSize) ? 0 : FOutBufSize - uint32_t(queued));
}

TModemSignals TCommPortDriver::GetModemSignals()
{
    unsigned bits = 0;
    if (!Connected() || !FHandle->ModemSignals(bits))
        return 0;
    TModemSignals signals = 0;
    if (bits & mbCTS) signals |= msCTS;
    if (bits & mbDSR) signals |= msDSR;
    if (bits & mbRING) signals |= msRING;
    if (bits & mbDCD) signals |= msDCD;
    return signals;
}

uint32_t TCommPortDriver::PutBytesTimed(const uint8_t *DataPtr, uint32_t DataSize, uint32_t Timeout)
{
    FLastFailure = TFailure{};
    if (!Connected() || DataPtr == nullptr)
        return 0;
    uint32_t sent = 0;
    uint32_t start = TickCountMs();
    while (sent < DataSize) {
        if (StopRequested())
            break;
        const uint16_t room = OutQueueRoom();
        if (room > 0) {
            if (FCheckLineStatus && GetModemSignals() == 0)
                break;
            const long n = FHandle->Write(DataPtr + sent, std::min<uint32_t>(room, DataSize - sent));
            if (n < 0) {
                // The device failed or hung up: nothing more will go out.
                if (FHandle->HungUp())
                    NoteHangUp();
                else
                    FLastFailure = FHandle->LastFailure();
                break;
            }
            if (n > 0) {
                sent += uint32_t(n);
                start = TickCountMs();
                continue;
            }
        }
        const uint32_t elapsed = MsSince(start);
        if (elapsed > Timeout) {
            FLastFailure = FHandle->OutputHeld();
            break;
        }
        if (room == 0) {
            // The kernel would take more than OutBufSize allows; give the line time to drain.
            std::this_thread::sleep_for(kOutputRoomRecheck);
        } else if (FHandle->WaitWritable(WaitSlice(Timeout - elapsed + 1)) == WaitResult::HangUp) {
            NoteHangUp();
            break;
        }
    }
    return sent;
}

uint32_t TCommPortDriver::PutBytes(const uint8_t *DataPtr, uint32_t DataSize)
{
    return PutBytesTimed(DataPtr, DataSize, FOutputTimeout);
}

bool TCommPortDriver::PutByte(uint8_t Value) { return PutBytes(&Value, 1) == 1; }

uint32_t TCommPortDriver::GetBytes(uint8_t *DataPtr, uint32_t Count)
{
    FLastFailure = TFailure{};
    if (!Connected() || DataPtr == nullptr || Count == 0)
        return 0;
    ++FReadNesting;
    uint32_t stored = 0;
    uint32_t start = TickCountMs();
    while (stored < Count) {
        // Checked between reads too: a long reply that keeps arriving must not outlast a stop.
        if (StopRequested())
            break;
        const long n = FHandle->Read(DataPtr + stored, Count - stored);
        if (n > 0) {
            stored += uint32_t(n);
            start = TickCountMs();
            continue;
        }
        if (FHandle->HungUp()) {
            NoteHangUp();
            break;
        }
        if (n < 0) {
            FLastFailure = FHandle->LastFailure();
            break;
        }
        const uint32_t elapsed = MsSince(start);
        if (elapsed > FInputTimeout)
            break;
        if (FHandle->WaitReadable(WaitSlice(FInputTimeout - elapsed + 1)) == WaitResult::HangUp) {
            NoteHangUp();
            break;
        }
    }
    --FReadNesting;
    return stored;
}

uint32_t TCommPortDriver::DiscardUntilQuiet(uint32_t QuietMs, uint32_t MaxMs)
{
    if (!Connected())
        return 0;
    uint32_t dropped = 0;
    const uint32_t start = TickCountMs();
    for (;;) {
        dropped += ReadAvailable(FPollBuffer.data(), FInBufSize);
        const uint32_t elapsed = MsSince(start);
        if (FHandle->HungUp() || elapsed >= MaxMs)
            break;
        if (FHandle->WaitReadable(std::min(QuietMs, MaxMs - elapsed)) != WaitResult::Ready)
            break;
    }
    return dropped;
}

uint32_t TCommPortDriver::ReadAvailable(uint8_t *data, uint32_t count)
{
    const long n = FHandle->Read(data, count);
    return n > 0 ? uint32_t(n) : 0;
}

void TCommPortDriver::PollTick()
{
    if (FReadNesting > 0 || !Connected())
        return;
    const uint32_t waiting = InQueueCount();
    if (FPacketSize <= 0)
        PollUnpacketed(waiting);
    else
        PollPackets(waiting);
}

void TCommPortDriver::PollUnpacketed(uint32_t waiting)
{
    if (waiting == 0)
        return;
    const uint32_t n = ReadAvailable(FPollBuffer.data(), std::min<uint32_t>(waiting, FInBufSize));
    if (n > 0 && OnReceiveData)
        OnReceiveData(this, FPollBuffer.data(), n);
}

uint32_t TCommPortDriver::PacketLineTimeMs() const
{
    // A custom rate has no table entry; its own value is the best estimate of the line time.
    const uint32_t rate = FBaudRate == brCustom ? FBaudRateValue : BaudRateOf(FBaudRate);
    if (rate < 10)
        return 0;
    const double ms = double(FPacketSize) / (double(rate) / 10.0) * 1000.0;
    return uint32_t(ms + 0.5);
}

void TCommPortDriver::PollPackets(uint32_t waiting)
{
    const uint32_t packet = uint32_t(FPacketSize);
    if (waiting >= packet) {
        while (waiting >= packet) {
            const uint32_t n = ReadAvailable(FPollBuffer.data(), packet);
            if (n > 0 && OnReceivePacket)
                OnReceivePacket(this, FPollBuffer.data(), n);
            if (FPacketStartTick != -1)
                FPacketStartTick += PacketLineTimeMs();
            waiting -= packet;
            if (waiting == 0)
                FPacketStartTick = -1;
            if (!Connected())
                return; // a handler closed the port
        }
        // A partial packet remains whose first byte was never timed: time it from now.
        if (waiting > 0 && FPacketStartTick == -1)
            FPacketStartTick = TickCountMs();
        return;
    }
    const uint32_t now = TickCountMs();
    if (FPacketTimeout > 0 && FPacketStartTick != -1 &&
        uint32_t(now - uint32_t(FPacketStartTick)) > uint32_t(FPacketTimeout)) {
        const uint32_t n = waiting > 0 ? ReadAvailable(FPollBuffer.data(), waiting) : 0;
        if (FPacketMode == pmPass && n > 0 && OnReceivePacket)
            OnReceivePacket(this, FPollBuffer.data(), n);
        FPacketStartTick = -1;
        return;
    }
    if (waiting > 0 && FPacketStartTick == -1)
        FPacketStartTick = now;
}

void TCommPortDriver::StartPolling()
{
    if (FTimerWindow)
        FTimerWindow->Start(FPollingDelay, [this] { PollTick(); });
}

void TCommPortDriver::StopPolling()
{
    if (FTimerWindow)
        FTimerWindow->Stop();
}

void TCommPortDriver::SetPort(TPortNumber Value)
{
    if (Connected() || Value > pnCOM16)
        return;
    FPort = Value;
    if (Value != pnCustom)
        FPortName = "\\\\.\\COM" + std::to_string(unsigned(Value));
}

void TCommPortDriver::SetPortName(const std::string &Value)
{
    if (Connected())
        return;
    FPortName = Value;
    FPort = pnCustom;
}

void TCommPortDriver::SetBaudRate(TBaudRate Value)
{
    // The current value changes nothing, and so neither reapplies the line nor purges input.
    if (Value > br256000 || Value == FBaudRate)
        return;
    FBaudRate = Value;
    if (Value != brCustom)
        FBaudRateValue = BaudRateOf(Value);
    ApplyLineSettingsIfOpen();
}

void TCommPortDriver::SetBaudRateValue(uint32_t Value)
{
    if (Value == FBaudRateValue)
        return;
    FBaudRateValue = Value;
    FBaudRate = brCustom;
    ApplyLineSettingsIfOpen();
}

void TCommPortDriver::SetInBufSize(uint32_t Value)
{
    if (Connected())
        return;
    FInBufSize = ClampBufSize(Value);
    FPollBuffer.assign(FInBufSize, 0);
    SetPacketSize(FPacketSize);
}

void TCommPortDriver::SetOutBufSize(uint32_t Value)
{
    if (Connected())
        return;
    FOutBufSize = ClampBufSize(Value);
}

void TCommPortDriver::SetPacketSize(int16_t Value)
{
    if (Value <= 0) {
        FPacketSize = -1;
        return;
    }
    // A packet must fit the poll buffer: it never exceeds the largest buffer, and while open
    // (when the buffer cannot grow) never the current one.
    uint32_t size = std::min<uint32_t>(uint32_t(Value), kMaxBufSize);
    if (Connected())
        size = std::min(size, FInBufSize);
    FPacketSize = int16_t(size);
    if (size > FInBufSize)
        SetInBufSize(size);
}

void TCommPortDriver::SetPacketTimeout(int32_t Value)
{
    if (Value <= 0)
        FPacketTimeout = -1;
    else if (Value < int32_t(FPollingDelay))
        FPacketTimeout = FPollingDelay + FPollingDelay * 40 / 100;
    else
        FPacketTimeout = Value;
}

void TCommPortDriver::SetPollingDelay(uint16_t Value)
{
    Value = std::max(Value, kMinPollingDelayMs);
    if (Value == FPollingDelay)
        return;
    if (Connected()) {
        StopPolling();
        FPollingDelay = Value;
        StartPolling();
    } else {
        FPollingDelay = Value;
    }
    SetPacketTimeout(FPacketTimeout);
}

} // namespace morlith
