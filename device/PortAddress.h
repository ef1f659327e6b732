// SPDX-License-Identifier: MIT
#pragma once
// Port names that are network addresses: "rfc2217://HOST:PORT" (a serial line behind a device
// server speaking the Telnet COM-port option) and "socket://HOST:PORT" (a plain TCP connection
// whose bytes are the line's). HOST is an IPv4 address, an IPv6 address in brackets or a host
// name; the scheme may be written in any letter case.

#include <cstdint>
#include <optional>
#include <string>

namespace morlith {

enum class TAddressScheme { Rfc2217, Socket };

struct TPortAddress {
    TAddressScheme Scheme = TAddressScheme::Rfc2217;
    // The host without brackets ("127.0.0.1", "::1", "server.local").
    std::string Host;
    uint16_t Port = 0;

    // The address as a port name, scheme in lower case ("rfc2217://[::1]:4001").
    std::string Text() const;
    // HOST:PORT, IPv6 in brackets.
    std::string HostAndPort() const;
};

// True when `name` starts with one of the two schemes, whether or not the rest is good.
bool IsPortAddress(const std::string &name);

// The address `name` gives; nullopt with `error` set when it is no good address.
std::optional<TPortAddress> ParsePortAddress(const std::string &name, std::string *error = nullptr);

} // namespace morlith
