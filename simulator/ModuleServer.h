// SPDX-License-Identifier: MIT
#pragma once
// Serves a virtual module on the master side of a pseudo-terminal, in a background thread. The
// host opens SlavePath() as its serial port.
//
// The serving thread waits in poll(2) for bytes, the stop signal, the host closing its port or,
// while a frame is half received, the end of the resynchronisation gap: a partial frame is
// dropped after kFrameGapMs of silence. When the host hangs up (closes the last descriptor it
// holds on the port) the module's session ends (see TVirtualModule::EndSession), so the next one
// starts at the main controller; another program opening and closing the port meanwhile does not
// end it. With a bit rate set, a request is answered only once its bytes would have crossed the
// line, and a reply is sent no faster than the line would carry it.

#include "FaultPlan.h"
#include "FrameTrace.h"
#include "LinePacer.h"
#include "HostHangUpWatch.h"
#include "PseudoTerminal.h"
#include "StopSignal.h"
#include "VirtualModule.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace morlith {

// Silence after which a partial request frame is dropped, in ms. Shorter than the host's 1000 ms
// inactivity limit, so the host's next request after a failed exchange finds the module in step.
constexpr unsigned kFrameGapMs = 200;

// How a server sets up its module and line.
struct TModuleServerOptions {
    // Size of every controller's data segment in bytes (at most 65535).
    size_t dataSegmentBytes = kDefaultDataSegmentBytes;
    // Initial data-segment contents of every controller (cut to size, the rest 0xFF).
    std::vector<uint8_t> dataSegmentForAll;
    // Initial data-segment contents of single controllers (index 0..4), over dataSegmentForAll.
    std::map<int, std::vector<uint8_t>> dataSegmentOf;
    // Slaves (1..4) the module does not have: their selection gets no reply.
    std::set<int> absentControllers;
    // Line bit rate in bit/s; 0 = as fast as possible.
    unsigned bitRate = 0;
    // Faults to inject.
    TFaultPlan faults;
    // Called on the serving thread after each request frame (for a live trace); may be empty.
    std::function<void(const TTraceEntry &)> onFrame;
};

// A virtual module on a pseudo-terminal.
class TModuleServer {
public:
    // Builds the module; throws std::invalid_argument on options out of range.
    explicit TModuleServer(TModuleServerOptions options = {});
    // Stops serving.
    ~TModuleServer();
    TModuleServer(const TModuleServer &) = delete;
    TModuleServer &operator=(const TModuleServer &) = delete;

    // Opens the pseudo-terminal and starts serving. Throws std::system_error when the
    // pseudo-terminal cannot be made, std::logic_error when called a second time.
    void Start();

    // Stops serving and closes the pseudo-terminal; the memories stay readable. Idempotent.
    void Stop();

    // True while the serving thread runs (false before Start, after Stop or a hang-up).
    bool Serving() const;

    // A descriptor that becomes readable once serving ended (Stop, a hang-up, a line error).
    int EndedFd() const { return FEnded.Fd(); }

    // The slave device path that the host opens ("" before Start).
    const std::string &SlavePath() const { return FSlavePath; }

    // Every request frame received so far; thread-safe.
    const TFrameTrace &Trace() const { return FModule.Trace(); }

    // Runs `action` on the module under its lock, so a test can read or change the memories at
    // any time; returns what `action` returns.
    template <class TAction>
    auto WithModule(TAction &&action)
    {
        std::lock_guard<std::mutex> lock(FModuleLock);
        return action(FModule);
    }

    // Writes the dump of every controller's memories to `path` (see MemoryDump.h).
    void DumpMemories(const std::string &path);

private:
    using TClock = TLinePacer::TClock;

    void Serve();
    void EndSessionIfHungUp();
    bool ServeBytes(const uint8_t *bytes, size_t count, TClock::time_point arrival);
    bool SendReply(const std::vector<uint8_t> &wire, TClock::time_point lineFree);
    bool SendPaced(const std::vector<uint8_t> &wire, TClock::time_point start);
    bool SendTrickling(const std::vector<uint8_t> &wire);

    TModuleServerOptions FOptions;
    std::mutex FModuleLock;
    TVirtualModule FModule;
    TLinePacer FPacer;
    std::unique_ptr<TPseudoTerminal> FTerminal;
    std::unique_ptr<THostHangUpWatch> FHangUpWatch;
    std::string FSlavePath;
    TStopSignal FStop;
    TStopSignal FEnded;
    std::thread FThread;
    TClock::time_point FLastActivity{};
    unsigned FFramesReceived = 0;
};

} // namespace morlith
