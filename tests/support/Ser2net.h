// SPDX-License-Identifier: MIT
#pragma once
// A ser2net server started for a test on 127.0.0.1, serving serial devices (the pseudo-terminals
// of virtual modules) both as rfc2217:// and as socket:// lines, each on a free port of its own.

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class Ser2net {
public:
    // Writes the configuration into `folder` and starts the server; throws std::runtime_error
    // when it does not come up.
    Ser2net(const std::vector<std::string> &devices, const std::string &folder);
    // Stops the server.
    ~Ser2net();
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    // True when the ser2net program is installed.
    static bool Installed();

    // The address of device `index` with the COM-port option, and as raw TCP.
    std::string Rfc2217(size_t index = 0) const;
    std::string Socket(size_t index = 0) const;

    // Kills the server at once, as when it crashes; every connection closes.
    void Kill();

private:
    struct Line {
        std::string Device;
        uint16_t Rfc2217Port = 0;
        uint16_t RawPort = 0;
    };
    std::vector<Line> FLines;
    pid_t FPid = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on (bound once and released).
uint16_t FreeTcpPort();
