// SPDX-License-Identifier: MIT
#pragma once
// Where station mode learns of ports coming and going: the port map folder (a port is an entry
// that reaches a device), or the serial devices the system announces (filtered by USB ids or a
// /dev/serial/by-id name pattern). Each source has a descriptor that becomes readable when
// something may have changed.

#include "PortChoice.h"

#include <memory>
#include <string>
#include <vector>

namespace morlith {

// A port that is there now.
struct TWatchedPort {
    // What identifies it across changes ("COM3", "/dev/ttyUSB0").
    std::string Key;
    TPortChoice Port;
    // The device it reaches: a port whose device changed went away and came back.
    std::string Device;
};

class TPortWatcher {
public:
    virtual ~TPortWatcher() = default;
    // Readable when ports may have come or gone.
    virtual int Fd() const = 0;
    // Reads what happened since the last call; returns the keys of the ports that went away
    // meanwhile, even those that are back already.
    virtual std::vector<std::string> TakeDepartures() = 0;
    // The ports there now.
    virtual std::vector<TWatchedPort> Present() = 0;
    // What is watched, in words ("the port map /home/op/.config/morlith/ports").
    virtual std::string Description() const = 0;
    // The port `key` is being worked on (or no longer): a source that looks at its ports by
    // talking to them leaves it alone meanwhile.
    virtual void SetInUse(const std::string & /*key*/, bool /*inUse*/) {}
};

// Watches the port map folder (made when missing); `names` ("COM3", ...) limits it to those
// entries when not empty. Null with `error` when it cannot be watched.
std::unique_ptr<TPortWatcher> WatchPortMap(const std::vector<std::string> &names, std::string &error);

// Watches the serial devices whose USB ids match "VID:PID" (hexadecimal; "*" for any product) or
// one of whose /dev/serial/by-id names matches the pattern `match` (a shell pattern; a name
// without a folder is matched against the link's name alone). Null with `error` when the system's
// device announcements cannot be followed or `match` is malformed.
std::unique_ptr<TPortWatcher> WatchSerialDevices(const std::string &match, std::string &error);

// How --match chooses devices.
struct TDeviceMatch {
    // "0403", "6001" (lower case), ProductId "*" for any; empty when a by-id pattern is used.
    std::string VendorId;
    std::string ProductId;
    std::string ByIdPattern;

    // True for a device with these USB ids and by-id links.
    bool Matches(const std::string &vendorId, const std::string &productId, const std::vector<std::string> &byIdLinks) const;
};

// Parses a --match value; Error set when it is neither VID:PID nor a usable pattern.
TDeviceMatch ParseDeviceMatch(const std::string &text, std::string &error);

} // namespace morlith
