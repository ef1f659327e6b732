// SPDX-License-Identifier: MIT
// Port names that are network addresses: what parses, what it parses to, and why the rest fails.

#include "PortAddress.h"

#include <gtest/gtest.h>

using namespace morlith;

TEST(PortAddress, GoodAddressesParseToSchemeHostAndPort)
{
    const struct {
        const char *name;
        TAddressScheme scheme;
        const char *host;
        uint16_t port;
        const char *text;
    } cases[] = {
        {"rfc2217://127.0.0.1:4001", TAddressScheme::Rfc2217, "127.0.0.1", 4001, "rfc2217://127.0.0.1:4001"},
        {"RFC2217://10.1.2.3:1", TAddressScheme::Rfc2217, "10.1.2.3", 1, "rfc2217://10.1.2.3:1"},
        {"socket://[::1]:65535", TAddressScheme::Socket, "::1", 65535, "socket://[::1]:65535"},
        {"Socket://[fe80::1:2]:7000", TAddressScheme::Socket, "fe80::1:2", 7000, "socket://[fe80::1:2]:7000"},
        {"rfc2217://cabinet-3.plant.local:4001", TAddressScheme::Rfc2217, "cabinet-3.plant.local", 4001,
         "rfc2217://cabinet-3.plant.local:4001"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(IsPortAddress(c.name));
        const auto address = ParsePortAddress(c.name);
        ASSERT_TRUE(address);
        EXPECT_EQ(address->Scheme, c.scheme);
        EXPECT_EQ(address->Host, c.host);
        EXPECT_EQ(address->Port, c.port);
        EXPECT_EQ(address->Text(), c.text);
    }
}

TEST(PortAddress, BadAddressesSayWhy)
{
    const struct {
        const char *name;
        const char *why;
    } cases[] = {
        {"rfc2217://127.0.0.1", "HOST:PORT"},
        {"rfc2217://:4001", "HOST:PORT"},
        {"rfc2217://127.0.0.1:0", "1 .. 65535"},
        {"rfc2217://127.0.0.1:65536", "1 .. 65535"},
        {"rfc2217://127.0.0.1:99999999999999999999", "1 .. 65535"},
        {"socket://127.0.0.1:40x1", "1 .. 65535"},
        {"socket://::1:4001", "brackets"},
        {"socket://[::1]4001", "HOST:PORT"},
        {"socket://[::1:4001", "HOST:PORT"},
        {"socket://[zz::1]:4001", "IPv6"},
        {"socket://host/path:4001", "HOST:PORT"},
        {"telnet://127.0.0.1:23", "rfc2217:// or socket://"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(ParsePortAddress(c.name, &error));
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
    EXPECT_FALSE(IsPortAddress("COM3"));
    EXPECT_FALSE(IsPortAddress("/dev/ttyUSB0"));
}
