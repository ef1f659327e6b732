// SPDX-License-Identifier: MIT
#include "Rfc2217Port.h"

namespace morlith {
namespace {

using namespace telnet;

// COM-port option commands, client to server; the server answers with the same code + 100.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kNotifyLineState = 6;
constexpr uint8_t kNotifyModemState = 7;
constexpr uint8_t kFlowControlSuspend = 8;
constexpr uint8_t kFlowControlResume = 9;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;

// SET-CONTROL values.
constexpr uint8_t kControlNoFlow = 1;
constexpr uint8_t kControlXonXoff = 2;
constexpr uint8_t kControlHardwareFlow = 3;
constexpr uint8_t kControlDtrOn = 8;
constexpr uint8_t kControlDtrOff = 9;
constexpr uint8_t kControlRtsOn = 11;
constexpr uint8_t kControlRtsOff = 12;

// PURGE-DATA values: the server's buffer of data from the line, towards the line, or both.
constexpr uint8_t kPurgeReceived = 1;
constexpr uint8_t kPurgeTransmit = 2;
constexpr uint8_t kPurgeBoth = 3;

// Modem state bits.
constexpr uint8_t kModemDcd = 0x80;
constexpr uint8_t kModemRing = 0x40;
constexpr uint8_t kModemDsr = 0x20;
constexpr uint8_t kModemCts = 0x10;

uint8_t ParityValue(LineParity parity)
{
    switch (parity) {
    case LineParity::Odd: return 2;
    case LineParity::Even: return 3;
    case LineParity::Mark: return 4;
    case LineParity::Space: return 5;
    default: return 1;
    }
}

uint8_t StopSizeValue(LineStopBits stopBits)
{
    switch (stopBits) {
    case LineStopBits::Two: return 2;
    case LineStopBits::OneAndHalf: return 3;
    default: return 1;
    }
}

// A line setting as a person reads it: "19200 bit/s", "odd parity", "2 stop bits".
std::string SettingText(uint8_t command, const std::vector<uint8_t> &value)
{
    if (command == kSetBaudRate) {
        if (value.size() != 4)
            return "an unreadable rate";
        const uint32_t rate = uint32_t(value[0]) << 24 | uint32_t(value[1]) << 16 | uint32_t(value[2]) << 8 | value[3];
        return std::to_string(rate) + " bit/s";
    }
    if (value.size() != 1)
        return "an unreadable value";
    const unsigned v = value[0];
    if (command == kSetDataSize)
        return std::to_string(v) + " data bits";
    if (command == kSetParity) {
        static const char *const names[] = {"no", "odd", "even", "mark", "space"};
        return (v >= 1 && v <= 5 ? std::string(names[v - 1]) : "value " + std::to_string(v)) + " parity";
    }
    static const char *const sizes[] = {"1 stop bit", "2 stop bits", "1.5 stop bits"};
    return v >= 1 && v <= 3 ? sizes[v - 1] : "stop size value " + std::to_string(v);
}

} // namespace

void TRfc2217Port::CompareConfirmed(uint8_t command, const std::vector<uint8_t> &value)
{
    const auto asked = FAsked.find(command);
    if (asked == FAsked.end() || asked->second == value || FMismatch.Failed())
        return;
    FMismatch = MakeFailure(TFailureKind::fkBadReply, FAddress.HostAndPort() + " set the line to " +
                                                          SettingText(command, value) + " where " +
                                                          SettingText(command, asked->second) + " was asked");
    FMismatch.Device = Device();
}

bool TRfc2217Port::Negotiate()
{
    FDecoder = TDecoder{};
    FAgreement = TAgreement::Pending;
    FAnswered.clear();
    FUnconfirmed = 0;
    FMismatch = TFailure{};
    FCommandRun = 0;
    FSuspended = false;
    FModemState = -1;
    FLineState = -1;
    std::vector<uint8_t> offer;
    for (const auto &part : {Negotiation(kWill, kOptionBinary), Negotiation(kDo, kOptionBinary),
                             Negotiation(kWill, kOptionComPort)})
        offer.insert(offer.end(), part.begin(), part.end());
    if (!SendControl(offer))
        return false;
    const uint32_t limitMs = OpeningMsLeft();
    const WaitResult result = PumpUntil([this] { return FAgreement != TAgreement::Pending; }, limitMs);
    if (result == WaitResult::HangUp) {
        if (FLastFailure.Kind == TFailureKind::fkHangUp)
            FLastFailure.Detail = FAddress.HostAndPort() + " closed the connection: does not speak RFC 2217: use socket://";
        return false;
    }
    if (result == WaitResult::TimedOut) {
        FLastFailure = MakeFailure(TFailureKind::fkNoReply, FAddress.HostAndPort() +
                                                                " did not agree the COM-port option within " +
                                                                std::to_string(kOpeningTimeoutMs) +
                                                                " ms of opening: does not speak RFC 2217: use socket://");
        return false;
    }
    if (FAgreement == TAgreement::Refused) {
        FLastFailure = MakeFailure(TFailureKind::fkBadReply, FAddress.HostAndPort() +
                                                                 " refused the COM-port option: does not speak "
                                                                 "RFC 2217: use socket://");
        return false;
    }
    FConfiguredSinceOpening = false;
    return true;
}

bool TRfc2217Port::SendComPort(uint8_t command, const std::vector<uint8_t> &value)
{
    std::vector<uint8_t> payload{command};
    payload.insert(payload.end(), value.begin(), value.end());
    return SendControl(Subnegotiation(kOptionComPort, payload));
}

bool TRfc2217Port::Configure(const LineSettings &settings)
{
    if (!IsOpen())
        return false;
    // The first settings after opening are part of the opening: its time limit, and a server
    // that closes the connection before they are confirmed is tried again.
    for (;;) {
        const bool opening = !FConfiguredSinceOpening;
        if (SendSettings(settings, opening ? OpeningMsLeft() : kNegotiationTimeoutMs)) {
            FConfiguredSinceOpening = true;
            return true;
        }
        if (!opening || !MayConnectAgain())
            return false;
        if (!Establish())
            return false;
    }
}

bool TRfc2217Port::SendSettings(const LineSettings &settings, uint32_t limitMs)
{
    const uint32_t rate = settings.BaudRate;
    const uint8_t flow = settings.RtsCtsFlow ? kControlHardwareFlow
                                              : (settings.XonXoffFlow ? kControlXonXoff : kControlNoFlow);
    // Modem lines first: a line without them (a pseudo-terminal) leaves them unconfirmed. The
    // server works through the requests in order, so the framing confirmed means all were done.
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> requests = {
        {kSetControl, {flow}},
        {kSetControl, {settings.Dtr ? kControlDtrOn : kControlDtrOff}},
    };
    if (!settings.RtsCtsFlow)
        requests.push_back({kSetControl, {settings.Rts ? kControlRtsOn : kControlRtsOff}});
    requests.push_back({kSetBaudRate, {uint8_t(rate >> 24), uint8_t(rate >> 16), uint8_t(rate >> 8), uint8_t(rate)}});
    requests.push_back({kSetDataSize, {uint8_t(settings.DataBits)}});
    requests.push_back({kSetParity, {ParityValue(settings.Parity)}});
    requests.push_back({kSetStopSize, {StopSizeValue(settings.StopBits)}});
    FMismatch = TFailure{};
    for (const auto &[command, value] : requests) {
        if (!SendComPort(command, value))
            return false;
        if (command != kSetControl) {
            FAsked[command] = value;
            ++FUnconfirmed;
        }
    }
    // Until the server confirms the framing the line may still run at the old settings.
    const WaitResult result = PumpUntil([this] { return FUnconfirmed <= 0; }, limitMs);
    FUnconfirmed = 0;
    if (result == WaitResult::TimedOut) {
        FLastFailure = MakeFailure(TFailureKind::fkNoReply, FAddress.HostAndPort() +
                                                                " did not confirm the line settings within " +
                                                                std::to_string(limitMs) + " ms");
        FLastFailure.Device = Device();
    }
    if (result != WaitResult::Ready)
        return false;
    if (FMismatch.Failed()) {
        FLastFailure = FMismatch;
        return false;
    }
    return true;
}

bool TRfc2217Port::Purge(bool input, bool output)
{
    if (!TNetworkPort::Purge(input, output))
        return false;
    if (!input && !output)
        return true;
    const uint8_t which = input && output ? kPurgeBoth : (input ? kPurgeReceived : kPurgeTransmit);
    return SendComPort(kPurgeData, {which});
}

bool TRfc2217Port::ModemSignals(unsigned &bits)
{
    bits = 0;
    if (FModemState < 0)
        return false;
    if (FModemState & kModemCts) bits |= mbCTS;
    if (FModemState & kModemDsr) bits |= mbDSR;
    if (FModemState & kModemRing) bits |= mbRING;
    if (FModemState & kModemDcd) bits |= mbDCD;
    return true;
}

void TRfc2217Port::QueueData(const uint8_t *data, size_t size)
{
    AppendEscaped(FOutput, data, size);
    FCommandRun = 0;
}

void TRfc2217Port::TakeReceived(const uint8_t *bytes, size_t size)
{
    FCommands.clear();
    const size_t held = FInput.size();
    FDecoder.Feed(bytes, size, FInput, FCommands);
    const size_t data = FInput.size() - held;
    // Telnet commands with no line data between them either way: a server keeps a few hundred
    // bytes of them at most between two requests; an endless stream (NOPs) is refused.
    if (data > 0)
        FCommandRun = 0;
    FCommandRun += size - data;
    if (FCommandRun > kMaxCommandRun) {
        Refuse(MakeFailure(TFailureKind::fkBadReply, FAddress.HostAndPort() + " sent " +
                                                         std::to_string(FCommandRun) +
                                                         " bytes of Telnet commands without line data (at most " +
                                                         std::to_string(kMaxCommandRun) + " are taken)"));
        return;
    }
    for (const TCommand &command : FCommands)
        Handle(command);
}

void TRfc2217Port::Answer(uint8_t verb, uint8_t option)
{
    // Each request is answered once: a server that repeats itself gets no endless exchange.
    if (FAnswered.insert(uint16_t(verb << 8 | option)).second)
        (void)SendControl(Negotiation(verb, option));
}

void TRfc2217Port::Handle(const TCommand &command)
{
    const uint8_t option = command.Option;
    switch (command.Verb) {
    case kDo:
        if (option == kOptionComPort)
            FAgreement = TAgreement::Agreed;
        else if (option == kOptionSuppressGoAhead)
            Answer(kWill, option);
        else if (option != kOptionBinary)
            Answer(kWont, option);
        break;
    case kDont:
        if (option == kOptionComPort)
            FAgreement = TAgreement::Refused;
        break;
    case kWill:
        if (option == kOptionSuppressGoAhead)
            Answer(kDo, option);
        else if (option != kOptionBinary && option != kOptionComPort)
            Answer(kDont, option);
        break;
    case kSb:
        if (option == kOptionComPort)
            HandleComPort(command.Payload);
        break;
    default:
        break;
    }
}

void TRfc2217Port::HandleComPort(const std::vector<uint8_t> &payload)
{
    if (payload.empty() || payload[0] < kServerOffset)
        return;
    const uint8_t code = uint8_t(payload[0] - kServerOffset);
    const int value = payload.size() > 1 ? payload[1] : -1;
    switch (code) {
    case kSetBaudRate:
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize:
        --FUnconfirmed;
        CompareConfirmed(code, std::vector<uint8_t>(payload.begin() + 1, payload.end()));
        break;
    case kNotifyLineState:
        FLineState = value;
        break;
    case kNotifyModemState:
        FModemState = value;
        break;
    case kFlowControlSuspend:
        FSuspended = true;
        break;
    case kFlowControlResume:
        FSuspended = false;
        break;
    default:
        break; // purge confirmations, signatures, masks
    }
}

} // namespace morlith
