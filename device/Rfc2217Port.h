// SPDX-License-Identifier: MIT
#pragma once
// TRfc2217Port: a serial line behind a device server that speaks the Telnet COM-port option,
// reached as "rfc2217://HOST:PORT". On opening it agrees binary transmission and the option with
// the server; the driver's line settings, DTR, RTS and purges are carried to the remote line, and
// the server's line and modem state notifications are kept. Line data has 0xFF doubled both ways.

#include "NetworkPort.h"
#include "TelnetCodec.h"

#include <map>
#include <set>

namespace morlith {

class TRfc2217Port : public TNetworkPort {
public:
    using TNetworkPort::TNetworkPort;

    // The longest the server may take to confirm line settings after the opening (the opening's
    // own are within its limit).
    static constexpr uint32_t kNegotiationTimeoutMs = 3000;
    // The most Telnet command bytes taken with no line data between them either way.
    static constexpr size_t kMaxCommandRun = 4096;

    bool Configure(const LineSettings &settings) override;
    bool Purge(bool input, bool output) override;
    bool ModemSignals(unsigned &bits) override;

    // The last line state the server reported (RFC 2217 bits), -1 before the first.
    int LineState() const { return FLineState; }

protected:
    bool Negotiate() override;
    void TakeReceived(const uint8_t *bytes, size_t size) override;
    void QueueData(const uint8_t *data, size_t size) override;
    bool MaySend() const override { return !FSuspended; }

private:
    enum class TAgreement { Pending, Agreed, Refused };

    bool SendComPort(uint8_t command, const std::vector<uint8_t> &value);
    // Sends rate, framing and control and waits at most `limitMs` for the server to confirm them
    // as asked.
    bool SendSettings(const LineSettings &settings, uint32_t limitMs);
    // Notes a confirmed value that differs from the one asked.
    void CompareConfirmed(uint8_t command, const std::vector<uint8_t> &value);
    void Handle(const telnet::TCommand &command);
    void HandleComPort(const std::vector<uint8_t> &payload);
    void Answer(uint8_t verb, uint8_t option);

    telnet::TDecoder FDecoder;
    std::vector<telnet::TCommand> FCommands;
    TAgreement FAgreement = TAgreement::Pending;
    std::set<uint16_t> FAnswered; // (verb << 8 | option) already answered, so no loops
    int FUnconfirmed = 0; // rate and framing requests sent and not yet confirmed
    std::map<uint8_t, std::vector<uint8_t>> FAsked; // the last value asked, by command
    TFailure FMismatch; // a value confirmed other than asked
    bool FConfiguredSinceOpening = false;
    size_t FCommandRun = 0; // Telnet command bytes since line data last went either way
    bool FSuspended = false; // the server asked us to hold back line data
    int FModemState = -1;
    int FLineState = -1;
};

} // namespace morlith
