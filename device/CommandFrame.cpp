#include "CommandFrame.h"

#include "CPDrv.h"
#include "Crc16.h"

namespace morlith {

constexpr uint16_t TCPPCommand::kMaxRequestPayload;
constexpr uint32_t TCPPCommand::kDefaultPayloadCapacity;

namespace {
// Frame bytes around the payload: length and command before it, CRC after it.
constexpr uint32_t kFrameOverhead = 4;
constexpr uint32_t kPayloadOffset = 2;
constexpr uint32_t kCrcBytes = 2;
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

bool TCPPCommand::Fail(std::string Text)
{
    FFailure = std::move(Text);
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
        return Fail(name + ": " + std::to_string(RequestLength) + " payload bytes, at most " +
                    std::to_string(kMaxRequestPayload) + " fit a frame");
    // The reply is read into this buffer; one that cannot fit is refused rather than overrun it.
    if (ReplyLength > PayloadCapacity() || RequestLength > PayloadCapacity())
        return Fail(name + ": frame buffer too small for the reply");
    if (FDriver == nullptr || !FDriver->Connected())
        return Fail("cannot send " + name + ": the port is not open");

    FBuffer[0] = uint8_t(RequestLength);
    FBuffer[1] = Command;
    const uint16_t crc = CRC16(FBuffer.data(), RequestLength + kPayloadOffset);
    FBuffer[RequestLength + 2u] = uint8_t(crc >> 8);
    FBuffer[RequestLength + 3u] = uint8_t(crc & 0xFF);
    // One byte at a time; a byte that cannot go out is simply missing and the reply check fails.
    for (uint32_t i = 0; i < RequestLength + kFrameOverhead; ++i)
        (void)FDriver->PutByte(FBuffer[i]);
    if (FTrace)
        FTrace({true, Command, RequestLength, true});

    const uint32_t expected = uint32_t(ReplyLength) + kCrcBytes;
    const uint32_t got = FDriver->GetBytes(FBuffer.data() + kPayloadOffset, expected);
    const bool complete = got == expected;
    const bool crcOk = complete && CRC16(FBuffer.data() + kPayloadOffset, expected) == 0;
    if (FTrace)
        FTrace({false, Command, got, crcOk});
    const std::string limit = std::to_string(FDriver->InputTimeout()) + " ms";
    if (got == 0)
        return Fail("no reply to " + name + " within " + limit);
    if (!complete)
        return Fail("reply to " + name + " ended after " + std::to_string(got) + " of " +
                    std::to_string(expected) + " bytes (silent for " + limit + ")");
    if (!crcOk)
        return Fail("reply to " + name + " has a wrong CRC");
    FFailure.clear();
    return true;
}

} // namespace morlith
