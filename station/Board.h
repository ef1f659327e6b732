// SPDX-License-Identifier: MIT
#pragma once
// The station's board as a model: every socket's state as its units come, work and end, in the
// order a person reads them. No words and no locking: a front end draws it and guards it.

#include "BoardState.h"
#include "PortWatcher.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace morlith {

class TBoard {
public:
    // Names each socket by `socketName` (a port's name when none).
    using TSocketNamer = std::function<std::string(const TWatchedPort &)>;
    explicit TBoard(TSocketNamer socketName);

    // The ports there now; at the start of watching, those that are left alone until plugged in
    // again (`leftAlone`).
    void PortsChanged(const std::vector<TWatchedPort> &present, bool leftAlone);
    // A unit's work starts on `port` (a port's key or label); `onlyStep` names a single command,
    // its only step ("" when a recipe announces its steps).
    void Started(const std::string &port, const std::string &onlyStep);
    // Step `index` (from 0) of `count` starts.
    void StepStarted(const std::string &port, size_t index, size_t count, const std::string &name);
    void SerialReserved(const std::string &port, uint64_t serial);
    void Progressed(const std::string &port, int percent);
    // The unit's work ended in `result` (ok, failed or stopped); `failureKind` names a failure.
    void Finished(const std::string &port, TSocketState result, const std::string &failureKind,
                  std::optional<uint64_t> serial, double seconds);

    // The sockets in reading order.
    std::vector<TSocketView> Sockets() const;

private:
    // The socket that `port` is in, made waiting when new.
    TSocketView &SocketOf(const std::string &port);

    TSocketNamer FSocketName;
    // Sockets by name; the ports in them by key.
    std::map<std::string, TSocketView> FSockets;
    std::map<std::string, std::string> FSocketOfPort;
};

// Sockets in the order a person reads them: "COM2" before "COM10".
bool SocketNameBefore(const std::string &a, const std::string &b);

} // namespace morlith
