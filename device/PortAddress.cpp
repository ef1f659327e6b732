// SPDX-License-Identifier: MIT
#include "PortAddress.h"

#include <cctype>

namespace morlith {
namespace {

constexpr const char *kRfc2217Prefix = "rfc2217://";
constexpr const char *kSocketPrefix = "socket://";

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool IsHostNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool IsIpv6Character(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

std::optional<TPortAddress> Refuse(std::string *error, const std::string &name, const std::string &why)
{
    if (error != nullptr)
        *error = "\"" + name + "\": " + why;
    return std::nullopt;
}

} // namespace

std::string TPortAddress::HostAndPort() const
{
    const bool ipv6 = Host.find(':') != std::string::npos;
    return (ipv6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port);
}

std::string TPortAddress::Text() const
{
    return std::string(Scheme == TAddressScheme::Rfc2217 ? kRfc2217Prefix : kSocketPrefix) + HostAndPort();
}

bool IsPortAddress(const std::string &name)
{
    return StartsWithNoCase(name, kRfc2217Prefix) || StartsWithNoCase(name, kSocketPrefix);
}

std::optional<TPortAddress> ParsePortAddress(const std::string &name, std::string *error)
{
    TPortAddress address;
    std::string rest;
    if (StartsWithNoCase(name, kRfc2217Prefix)) {
        rest = name.substr(std::string(kRfc2217Prefix).size());
    } else if (StartsWithNoCase(name, kSocketPrefix)) {
        address.Scheme = TAddressScheme::Socket;
        rest = name.substr(std::string(kSocketPrefix).size());
    } else {
        return Refuse(error, name, "an address starts with rfc2217:// or socket://");
    }
    const std::string form = "give HOST:PORT, such as 192.168.1.20:4001 or [::1]:4001";
    size_t colon;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return Refuse(error, name, form);
        address.Host = rest.substr(1, close - 1);
        for (char c : address.Host)
            if (!IsIpv6Character(c))
                return Refuse(error, name, "\"" + address.Host + "\" is no IPv6 address");
        colon = close + 1;
    } else {
        colon = rest.rfind(':');
        if (colon == std::string::npos)
            return Refuse(error, name, form);
        address.Host = rest.substr(0, colon);
        for (char c : address.Host)
            if (!IsHostNameCharacter(c))
                return Refuse(error, name,
                              c == ':' ? "put an IPv6 address in brackets, such as [::1]:4001" : form);
    }
    if (address.Host.empty())
        return Refuse(error, name, form);
    const std::string port = rest.substr(colon + 1);
    unsigned long number = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || number > 65535)
            return Refuse(error, name, "the port must be a number 1 .. 65535");
        number = number * 10 + unsigned(c - '0');
    }
    if (port.empty() || number == 0 || number > 65535)
        return Refuse(error, name, "the port must be a number 1 .. 65535");
    address.Port = uint16_t(number);
    return address;
}

} // namespace morlith
