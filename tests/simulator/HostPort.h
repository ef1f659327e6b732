// SPDX-License-Identifier: MIT
#pragma once
// The host's side of a virtual module for tests: the pseudo-terminal's slave opened with plain
// open/read/write and poll(2), independent of the serial driver.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace morlith::test {

// A raw serial port on a device path.
class THostPort {
public:
    // Opens `path` read-write in raw mode; fails the test when it cannot.
    explicit THostPort(const std::string &path);
    ~THostPort();
    THostPort(const THostPort &) = delete;
    THostPort &operator=(const THostPort &) = delete;

    // Writes all of `bytes`; false when the line is gone.
    bool Send(const std::vector<uint8_t> &bytes);

    // Sends a request frame for `command` and `payload`.
    bool SendRequest(char command, const std::vector<uint8_t> &payload = {});

    // Reads up to `count` bytes, waiting at most `gap` between bytes (the host's inactivity limit).
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds gap);

    // Sends a request and reads a reply of `replyLength` payload bytes plus the CRC.
    std::vector<uint8_t> Exchange(char command, const std::vector<uint8_t> &payload,
                                  size_t replyLength);

    // True when the port reports a hang-up within `timeout`.
    bool SeesHangUp(std::chrono::milliseconds timeout);

    // The descriptor, for tests that need it.
    int Fd() const { return FFd; }

private:
    int FFd = -1;
};

// Inactivity limit the tests wait for a reply: generous for a loaded machine.
constexpr std::chrono::milliseconds kReplyWait{2000};
// How long a test listens to be sure that no reply comes.
constexpr std::chrono::milliseconds kQuietWait{400};

// The 50-byte handshake payload 0, 1 .. 49.
std::vector<uint8_t> HandshakePayload();

// A 50-byte "F" payload with `mode` at byte 5 and `key` at byte 7, the rest filler.
std::vector<uint8_t> FlashInitPayload(uint8_t mode, uint8_t key);

// True when the last two bytes of `reply` are the CRC of the bytes before them.
bool CrcHolds(const std::vector<uint8_t> &reply);

// The whole content of a text file ("" when it cannot be read).
std::string ReadTextFile(const std::string &path);

} // namespace morlith::test

#include "ModuleServer.h"

#include <memory>

namespace morlith::test {

// A started module server and a host port open on its pseudo-terminal.
class TRunningModule {
public:
    // Starts a server with `options` and opens its slave side.
    explicit TRunningModule(TModuleServerOptions options = {});

    // The server.
    TModuleServer &Server() { return *FServer; }

    // The host's port.
    THostPort &Host() { return *FHost; }

    // Closes the host's port and opens it again.
    void ReopenHost();
    // Closes the host's side without opening it again.
    void CloseHost() { FHost.reset(); }

private:
    std::unique_ptr<TModuleServer> FServer;
    std::unique_ptr<THostPort> FHost;
};

} // namespace morlith::test
