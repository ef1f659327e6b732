// SPDX-License-Identifier: MIT
#include "CommandFrame.h"

#include "CPDrv.h"
#include "Crc16.h"

#include <algorithm>

namespace morlith {

constexpr uint16_t TCPPCommand::kMaxRequestPayload;
constexpr uint32_t TCPPCommand::kDefaultPayloadCapacity;

namespace {
// Frame bytes around the payload: length and command before it, CRC after it.
constexpr uint32_t kFrameOverhead = 4;
constexpr uint32_t kPayloadOffset = 2;
constexpr uint32_t kCrcBytes = 2;
// Bytes that keep coming after a complete reply are read and dropped for at most this long.
constexpr uint32_t kTrailingBytesMaxMs = 50;

// How long the line must stay quiet after a reply before it counts as complete: a character and
// a half at the line's rate, so that a byte sent straight after the reply is seen; whole ms, at
// least one.
uint32_t ReplyQuietMs(uint32_t BitRate)
{
    constexpr uint64_t kBitsInCharacterAndHalf = 15;
    if (BitRate == 0)
        return 1;
    const uint64_t micros = kBitsInCharacterAndHalf * 1000000 / BitRate;
    return std::max<uint32_t>(1, uint32_t((micros + 999) / 1000));
}
} // namespace

std::string CommandName(uint8_t Command)
{
    if (Command >= 'A' && Command <= 'Z')
        return std::string(1, char(Command));
    return "command " + std::to_string(Command);
}

TCPPCommand::TCPPCommand(TCommPortDriver *Driver) : TCPPCommand(Driver, kDefaultPayloadCapacity) {}

TCPPCommand::TCPPCommand(TCommPortDriver *Driver, uint32_t InitialCapacity) : FDriver(Driver)
{
    if (InitialCapacity > 0)
        SetPayloadCapacity(InitialCapacity);
}

bool TCPPCommand::Execute() { return false; }

void TCPPCommand::SetPayloadCapacity(uint32_t Capacity)
{
    FBuffer.resize(size_t(Capacity) + kFrameOverhead, 0);
}

uint32_t TCPPCommand::PayloadCapacity() const
{
    return FBuffer.size() < kFrameOverhead ? 0 : uint32_t(FBuffer.size() - kFrameOverhead);
}

uint8_t TCPPCommand::GetPayload(int32_t Index) const
{
    if (Index < 0 || uint32_t(Index) >= PayloadCapacity())
        return 0;
    return FBuffer[size_t(Index) + kPayloadOffset];
}

void TCPPCommand::SetPayload(int32_t Index, uint8_t Value)
{
    if (Index < 0 || uint32_t(Index) >= PayloadCapacity())
        return;
    FBuffer[size_t(Index) + kPayloadOffset] = Value;
}

bool TCPPCommand::Fail(TFailureKind Kind, std::string Detail)
{
    return Fail(MakeFailure(Kind, std::move(Detail)));
}

bool TCPPCommand::Fail(TFailure Failure)
{
    FFailure = std::move(Failure);
    return false;
}

bool TCPPCommand::Exchange(const TCommandLayout &Spec)
{
    return Exchange(Spec.Command, Spec.RequestLength, Spec.ReplyLength);
}

bool TCPPCommand::Exchange(uint8_t Command, uint16_t RequestLength, uint16_t ReplyLength)
{
    const std::string name = CommandName(Command);
    if (RequestLength > kMaxRequestPayload)
        return Fail(TFailureKind::fkOs, name + ": " + std::to_string(RequestLength) +
                                            " payload bytes, at most " +
                                            std::to_string(kMaxRequestPayload) + " fit a frame");
    // The reply is read into this buffer; one that cannot fit is refused rather than overrun it.
    if (ReplyLength > PayloadCapacity() || RequestLength > PayloadCapacity())
        return Fail(TFailureKind::fkOs, name + ": frame buffer too small for the reply");
    if (FDriver == nullptr || !FDriver->Connected())
        return Fail(TFailureKind::fkOs, "cannot send " + name + ": the port is not open");

    FBuffer[0] = uint8_t(RequestLength);
    FBuffer[1] = Command;
    const uint16_t crc = CRC16(FBuffer.data(), RequestLength + kPayloadOffset);
    FBuffer[RequestLength + 2u] = uint8_t(crc >> 8);
    FBuffer[RequestLength + 3u] = uint8_t(crc & 0xFF);
    // The whole frame in one write: one system call and, on a USB adapter, one transfer.
    const uint32_t frameBytes = RequestLength + kFrameOverhead;
    const uint32_t expected = uint32_t(ReplyLength) + kCrcBytes;
    const uint32_t quietMs = ReplyQuietMs(FDriver->BaudRateValue());
    const bool checkPrevious = FPendingQuietCheck;
    FPendingQuietCheck = false;
    // Bytes already waiting followed the previous reply: this request is not sent. Bytes that
    // come later are read as the start of this request's reply, which then fails as bad.
    if (checkPrevious && FDriver->InQueueCount() > 0)
        return Fail(TrailingFailure(Command, expected,
                                    FDriver->DiscardUntilQuiet(quietMs, kTrailingBytesMaxMs), true));
    if (FDriver->PutBytes(FBuffer.data(), frameBytes) != frameBytes)
        return Fail(SendFailure(Command));
    if (FTrace)
        FTrace({true, Command, RequestLength, true});
    if (FRequestSentHook) {
        TCommPortDriver::TInputHold hold(*FDriver);
        FRequestSentHook();
    }

    const uint32_t got = FDriver->GetBytes(FBuffer.data() + kPayloadOffset, expected);
    const bool complete = got == expected;
    // A reply is exactly as long as its command says: bytes that follow it belong to no request,
    // and would otherwise be read as the start of the next reply and blamed on the next step.
    // When a request follows at once the next exchange looks instead, without waiting.
    const bool deferCheck = FNextRequestFollows;
    const uint32_t trailing = complete && !deferCheck && !FDriver->HungUp()
                                  ? FDriver->DiscardUntilQuiet(quietMs, kTrailingBytesMaxMs)
                                  : 0;
    const bool crcOk = complete && CRC16(FBuffer.data() + kPayloadOffset, expected) == 0;
    if (FTrace)
        FTrace({false, Command, got + trailing, crcOk});
    if (crcOk && trailing == 0) {
        FFailure = TFailure{};
        FPendingQuietCheck = deferCheck;
        return true;
    }
    if (crcOk)
        return Fail(TrailingFailure(Command, expected, trailing));
    return Fail(ReplyFailure(Command, expected, got));
}

TFailure TCPPCommand::TrailingFailure(uint8_t Command, uint32_t Expected, uint32_t Trailing,
                                      bool PreviousReply) const
{
    const std::string whose = PreviousReply ? "the previous " : "";
    TFailure failure = MakeFailure(TFailureKind::fkBadReply,
                                   "reply to " + whose + CommandName(Command) + " was followed by " +
                                       std::to_string(Trailing) + " unexpected byte" +
                                       (Trailing == 1 ? "" : "s"));
    failure.Command = Command;
    failure.BytesExpected = Expected;
    failure.BytesReceived = Expected + Trailing;
    return failure;
}

TFailure TCPPCommand::SendFailure(uint8_t Command) const
{
    TFailure failure = FDriver->LastFailure();
    if (!failure.Failed())
        failure = MakeFailure(TFailureKind::fkOs, "could not send " + CommandName(Command) +
                                                      " within " +
                                                      std::to_string(FDriver->OutputTimeout()) + " ms");
    failure.Command = Command;
    return failure;
}

TFailure TCPPCommand::ReplyFailure(uint8_t Command, uint32_t Expected, uint32_t Got) const
{
    const std::string name = CommandName(Command);
    const std::string limit = std::to_string(FDriver->InputTimeout()) + " ms";
    // A hang-up or a stop request ended the wait: that, not the missing bytes, is the story.
    TFailure failure = FDriver->LastFailure();
    if (!failure.Failed()) {
        if (Got == 0)
            failure = MakeFailure(TFailureKind::fkNoReply, "no reply to " + name + " within " + limit);
        else if (Got < Expected)
            failure = MakeFailure(TFailureKind::fkBadReply,
                                  "reply to " + name + " ended after " + std::to_string(Got) +
                                      " of " + std::to_string(Expected) + " bytes (silent for " +
                                      limit + ")");
        else
            failure = MakeFailure(TFailureKind::fkBadReply, "reply to " + name + " has a wrong CRC");
        // Garbled bytes on the line explain a bad reply: say so when the port counted any.
        if (failure.Kind == TFailureKind::fkBadReply && FDriver->LineErrors() > 0)
            failure.Detail += " (the port reported " + std::to_string(FDriver->LineErrors()) +
                              " line errors: framing, parity or overrun)";
    }
    failure.Command = Command;
    failure.BytesExpected = Expected;
    failure.BytesReceived = Got;
    return failure;
}

} // namespace morlith
