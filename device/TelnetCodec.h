// SPDX-License-Identifier: MIT
#pragma once
// The Telnet framing under the COM-port option: data bytes with 0xFF doubled, option
// negotiation (WILL, WONT, DO, DONT) and subnegotiations (SB ... SE). The decoder keeps its
// state between calls, so a command cut across two receives is read whole.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morlith::telnet {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;

constexpr uint8_t kOptionBinary = 0;
constexpr uint8_t kOptionSuppressGoAhead = 3;
constexpr uint8_t kOptionComPort = 44;

// Appends `size` data bytes to `out`, each 0xFF doubled.
void AppendEscaped(std::vector<uint8_t> &out, const uint8_t *data, size_t size);
// IAC <verb> <option>.
std::vector<uint8_t> Negotiation(uint8_t verb, uint8_t option);
// IAC SB <option> <payload, 0xFF doubled> IAC SE.
std::vector<uint8_t> Subnegotiation(uint8_t option, const std::vector<uint8_t> &payload);

// A command found among the received bytes.
struct TCommand {
    // kWill, kWont, kDo, kDont or kSb.
    uint8_t Verb = 0;
    uint8_t Option = 0;
    // A subnegotiation's payload, 0xFF undoubled; empty for the other verbs.
    std::vector<uint8_t> Payload;
};

class TDecoder {
public:
    // Splits received bytes into data (appended to `data`) and commands (appended to
    // `commands`).
    void Feed(const uint8_t *bytes, size_t size, std::vector<uint8_t> &data, std::vector<TCommand> &commands);

private:
    enum class TState { Data, Iac, Verb, Sub, SubIac };
    TState FState = TState::Data;
    TCommand FCommand;
};

} // namespace morlith::telnet
