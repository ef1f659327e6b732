// SPDX-License-Identifier: MIT
#include "TelnetCodec.h"

namespace morlith::telnet {
namespace {

// Payloads longer than any COM-port subnegotiation are cut here; the rest is dropped.
constexpr size_t kMaxPayload = 64;

} // namespace

void AppendEscaped(std::vector<uint8_t> &out, const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac)
            out.push_back(kIac);
    }
}

std::vector<uint8_t> Negotiation(uint8_t verb, uint8_t option) { return {kIac, verb, option}; }

std::vector<uint8_t> Subnegotiation(uint8_t option, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> bytes{kIac, kSb, option};
    AppendEscaped(bytes, payload.data(), payload.size());
    bytes.push_back(kIac);
    bytes.push_back(kSe);
    return bytes;
}

void TDecoder::Feed(const uint8_t *bytes, size_t size, std::vector<uint8_t> &data, std::vector<TCommand> &commands)
{
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = bytes[i];
        switch (FState) {
        case TState::Data:
            if (b == kIac)
                FState = TState::Iac;
            else
                data.push_back(b);
            break;
        case TState::Iac:
            if (b == kIac) {
                data.push_back(kIac);
                FState = TState::Data;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont || b == kSb) {
                FCommand = TCommand{b, 0, {}};
                FState = TState::Verb;
            } else {
                FState = TState::Data; // NOP, go-ahead and the like carry nothing for a port
            }
            break;
        case TState::Verb:
            FCommand.Option = b;
            if (FCommand.Verb == kSb) {
                FState = TState::Sub;
            } else {
                commands.push_back(FCommand);
                FState = TState::Data;
            }
            break;
        case TState::Sub:
            if (b == kIac)
                FState = TState::SubIac;
            else if (FCommand.Payload.size() < kMaxPayload)
                FCommand.Payload.push_back(b);
            break;
        case TState::SubIac:
            if (b == kIac) {
                if (FCommand.Payload.size() < kMaxPayload)
                    FCommand.Payload.push_back(kIac);
                FState = TState::Sub;
            } else {
                // IAC SE ends it; any other command inside a subnegotiation ends it too.
                commands.push_back(FCommand);
                FState = TState::Data;
            }
            break;
        }
    }
}

} // namespace morlith::telnet
