// SPDX-License-Identifier: MIT
#pragma once
// Which ports station mode works on, and when: a port is taken once when it appears, and again
// only after it went away and came back (or now reaches another device). A port that is still
// being worked on when it comes back is taken once that work ends.

#include "PortWatcher.h"

#include <map>
#include <string>
#include <vector>

namespace morlith {

class TStationTracker {
public:
    // The ports there when watching starts: taken at once with `takeExisting`, otherwise left
    // alone until they come back.
    TStationTracker(const std::vector<TWatchedPort> &present, bool takeExisting);

    // Takes a change: the keys of ports that went away meanwhile and the ports there now.
    void Update(const std::vector<std::string> &departed, const std::vector<TWatchedPort> &present);
    // The ports to start work on now, `most` at the most; each is then counted as running until
    // Finished.
    std::vector<TWatchedPort> TakeReady(size_t most);
    // The work on the port `key` ended.
    void Finished(const std::string &key);
    // How many ports are being worked on.
    size_t Running() const;

private:
    struct TState {
        TWatchedPort Port;
        bool Present = false;
        // Worked on (or left alone) since it last appeared.
        bool Taken = false;
        bool Running = false;
    };

    std::map<std::string, TState> FPorts;
};

} // namespace morlith
