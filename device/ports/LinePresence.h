// SPDX-License-Identifier: MIT
#pragma once
// Whether a line behind a device server has its module there, found without sending it anything:
// a connection is opened to the server and must stay open a moment. A server whose line cannot
// be opened (the adapter and module taken out, the device gone) closes it at once, as it does
// while another connection holds the line; nothing is written to the connection, so not even a
// Telnet answer reaches the server, let alone a byte the module.
//
// TLinePoller looks at each line of a set again and again on a thread of its own, and tells of
// lines that came or went.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morlith {

// How long a connection must stay open for its line to count as there, in ms.
constexpr uint32_t kLineHoldMs = 200;
// The most a look-up and connect may take before the line counts as not there, in ms.
constexpr uint32_t kLineConnectMs = 1000;
// How often a line is looked at, in ms.
constexpr uint32_t kLinePollMs = 500;
// Looks that must fail in a row before a line that was there counts as gone: one failing look
// may meet the server still closing the last connection on the line. So a module is seen taken
// out once it was off the line for about this many looks.
constexpr unsigned kLineMissesForGone = 2;

// True when the server at `address` (rfc2217:// or socket://) accepts a connection and keeps it
// open for kLineHoldMs; a stop (*stop true, looked at every 50 ms) ends the look with false.
bool LinePresent(const std::string &address, const std::atomic<bool> *stop);

class TLinePoller {
public:
    // `changed` is called (on a poller thread) whenever a line came or went.
    explicit TLinePoller(std::function<void()> changed);
    ~TLinePoller();
    TLinePoller(const TLinePoller &) = delete;
    TLinePoller &operator=(const TLinePoller &) = delete;

    // The lines to look at, address by key; others are no longer looked at. Returns once every
    // new line was looked at once.
    void Follow(const std::map<std::string, std::string> &addresses);
    // A line in use is not looked at (a look would take the server's line from its user); once
    // free it is looked at again after kLinePollMs, as there until it fails.
    void SetInUse(const std::string &key, bool inUse);
    bool Present(const std::string &key) const;
    // The keys of the lines that went since the last call.
    std::vector<std::string> TakeDepartures();

private:
    struct TLine;

    void Poll(TLine &line);
    // Takes a look's result; false when it came while the line was in use (then it is dropped).
    void Take(TLine &line, bool present, unsigned generation);

    std::function<void()> FChanged;
    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::atomic<bool> FStopping{false};
    std::map<std::string, std::unique_ptr<TLine>> FLines;
    std::vector<std::string> FDepartures;
};

} // namespace morlith
