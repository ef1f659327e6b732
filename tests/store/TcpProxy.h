// SPDX-License-Identifier: MIT
#pragma once
// A small TCP proxy on the loopback that stands for the network between a station and its store:
// it forwards bytes both ways until told to stall them (connections stay open, nothing passes,
// as when a link hangs) or to cut every connection (reset) and refuse new ones.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace morlith::test {

class TTcpProxy {
public:
    // Listens on a free port of 127.0.0.1 and forwards to 127.0.0.1:`target`.
    explicit TTcpProxy(uint16_t target);
    ~TTcpProxy();
    TTcpProxy(const TTcpProxy &) = delete;
    TTcpProxy &operator=(const TTcpProxy &) = delete;

    uint16_t Port() const { return FPort; }
    // Holds every byte (and every new connection) while `stalled`.
    void Stall(bool stalled);
    // Resets every connection and refuses new ones, until Mend.
    void Cut();
    void Mend();

private:
    struct TPair {
        int Client;
        int Server;
    };
    void Serve();
    void Listen();
    void Wake();

    uint16_t FTarget;
    uint16_t FPort = 0;
    int FListener = -1;
    int FWake[2] = {-1, -1};
    std::mutex FLock;
    std::vector<TPair> FPairs;
    std::atomic<bool> FStalled{false};
    std::atomic<bool> FCut{false};
    std::atomic<bool> FDone{false};
    std::thread FThread;
};

} // namespace morlith::test
