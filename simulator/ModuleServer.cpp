// SPDX-License-Identifier: MIT
#include "ModuleServer.h"

#include "MemoryDump.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace morlith {
namespace {

// Bytes read from the master in one go.
constexpr size_t kReadChunkBytes = 4096;
// Shortest sleep between two writes of a paced reply: bytes that fall due within it go out
// together, so a paced line costs a few hundred wake-ups a second, not one per byte.
constexpr auto kPacingQuantum = std::chrono::milliseconds(4);
// Timer slack of the serving thread in ns (the kernel default is 50000).
constexpr unsigned long kPacingTimerSlackNs = 1000;
// Highest bit rate accepted, in bit/s.
constexpr unsigned kMaxBitRate = 4000000;

void Prepare(TVirtualModule &module, const TModuleServerOptions &options)
{
    if (!options.dataSegmentForAll.empty())
        module.LoadDataSegmentAll(options.dataSegmentForAll);
    for (const auto &[index, contents] : options.dataSegmentOf) {
        if (index < 0 || index >= kControllerCount)
            throw std::invalid_argument("controller index " + std::to_string(index) +
                                        " is not 0..4");
        module.LoadDataSegment(index, contents);
    }
    for (const int index : options.absentControllers) {
        if (index < 1 || index >= kControllerCount)
            throw std::invalid_argument("only a slave (1..4) can be absent, not " + std::to_string(index));
        module.Controller(index).absent = true;
    }
}

TModuleServerOptions Checked(TModuleServerOptions options)
{
    if (options.bitRate > kMaxBitRate)
        throw std::invalid_argument("bit rate " + std::to_string(options.bitRate) +
                                    " is over 4000000");
    if (options.faults.trickleDelayMs > kMaxTrickleDelayMs)
        throw std::invalid_argument("trickle delay " +
                                    std::to_string(options.faults.trickleDelayMs) +
                                    " ms is not under the host's 1000 ms limit");
    return options;
}

} // namespace

TModuleServer::TModuleServer(TModuleServerOptions options)
    : FOptions(Checked(std::move(options))), FModule(FOptions.dataSegmentBytes),
      FPacer(FOptions.bitRate)
{
    Prepare(FModule, FOptions);
}

TModuleServer::~TModuleServer()
{
    Stop();
}

void TModuleServer::Start()
{
    if (FTerminal || FThread.joinable())
        throw std::logic_error("a module server starts only once");
    FTerminal = std::make_unique<TPseudoTerminal>();
    FSlavePath = FTerminal->SlavePath();
    FHangUpWatch = std::make_unique<THostHangUpWatch>(FSlavePath);
    FThread = std::thread([this] {
        // Paced sleeps end at the microsecond they are due, not up to the default 50 us later.
        prctl(PR_SET_TIMERSLACK, kPacingTimerSlackNs);
        Serve();
        FEnded.Raise();
    });
}

void TModuleServer::Stop()
{
    FStop.Raise();
    if (FThread.joinable())
        FThread.join();
    if (FTerminal)
        FTerminal->HangUp();
}

bool TModuleServer::Serving() const
{
    return FThread.joinable() && !FEnded.Raised();
}

void TModuleServer::DumpMemories(const std::string &path)
{
    std::lock_guard<std::mutex> lock(FModuleLock);
    WriteMemoryDump(FModule, path);
}

void TModuleServer::Serve()
{
    std::vector<uint8_t> buffer(kReadChunkBytes);
    const int master = FTerminal->MasterFd();
    while (true) {
        const bool partial = WithModule([](TVirtualModule &m) { return m.HasPartialFrame(); });
        const TClock::time_point gapEnd = FLastActivity + std::chrono::milliseconds(kFrameGapMs);
        pollfd entries[2] = {{master, POLLIN, 0}, {FHangUpWatch->Fd(), POLLIN, 0}};
        const int ready = WaitForFds(entries, 2, FStop, partial ? &gapEnd : nullptr);
        if (ready < 0)
            return;
        if (ready == 0) {
            WithModule([](TVirtualModule &m) { m.DiscardPartialFrame(); });
            continue;
        }
        // A hang-up is taken before the bytes that came after it (from the next session).
        EndSessionIfHungUp();
        if (entries[0].revents == 0)
            continue;
        const ssize_t n = read(master, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        // With our own slave descriptor open the master never hangs up; an error here means the
        // line is gone, and waiting on it again would spin.
        if (n <= 0)
            return;
        const TClock::time_point arrival = TClock::now();
        FLastActivity = arrival;
        if (!ServeBytes(buffer.data(), size_t(n), arrival))
            return;
    }
}

void TModuleServer::EndSessionIfHungUp()
{
    if (!FHangUpWatch->TakeHangUps())
        return;
    FTerminal->EndExclusiveUse();
    WithModule([](TVirtualModule &m) { m.EndSession(); });
}

// Feeds received bytes to the module and answers every frame they complete. False when serving
// must end (a hang-up, a stop, a line error).
bool TModuleServer::ServeBytes(const uint8_t *bytes, size_t count, TClock::time_point arrival)
{
    for (size_t i = 0; i < count; ++i) {
        if (FOptions.faults.HangsUpAfter(FFramesReceived)) {
            FTerminal->HangUp();
            return false;
        }
        const TClock::time_point received = FPacer.Receive(arrival);
        std::optional<TFrameOutcome> outcome =
            WithModule([&](TVirtualModule &m) { return m.Receive(bytes[i]); });
        if (!outcome)
            continue;
        FFramesReceived = outcome->entry.number;
        if (FOptions.onFrame)
            FOptions.onFrame(outcome->entry);
        if (!outcome->reply)
            continue;
        const std::vector<uint8_t> wire = FOptions.faults.Shape(FFramesReceived, *outcome->reply);
        if (!wire.empty() && !SendReply(wire, received))
            return false;
    }
    return true;
}

// Sends a reply once the request has crossed the line (`lineFree`), paced or trickling as set.
bool TModuleServer::SendReply(const std::vector<uint8_t> &wire, TClock::time_point lineFree)
{
    if (FPacer.Paced() && !FStop.SleepUntil(lineFree))
        return false;
    bool sent;
    if (FOptions.faults.trickleDelayMs > 0)
        sent = SendTrickling(wire);
    else if (FPacer.Paced())
        sent = SendPaced(wire, std::max(lineFree, TClock::now()));
    else
        sent = WriteAll(FTerminal->MasterFd(), wire.data(), wire.size(), FStop);
    FLastActivity = TClock::now();
    return sent;
}

// Each byte is handed over once its line time is over; bytes that fall due within one pacing
// quantum go together.
bool TModuleServer::SendPaced(const std::vector<uint8_t> &wire, TClock::time_point start)
{
    size_t sent = 0;
    while (sent < wire.size()) {
        const TClock::time_point now = TClock::now();
        size_t due = sent;
        while (due < wire.size() && FPacer.SendDone(start, due + 1) <= now)
            ++due;
        if (due > sent) {
            if (!WriteAll(FTerminal->MasterFd(), wire.data() + sent, due - sent, FStop))
                return false;
            sent = due;
            continue;
        }
        // Never later than the last byte's own time, so the reply as a whole is not delayed.
        const TClock::time_point wake =
            std::min(FPacer.SendDone(start, wire.size()),
                     std::max(FPacer.SendDone(start, sent + 1), now + kPacingQuantum));
        if (!FStop.SleepUntil(wake))
            return false;
    }
    return true;
}

bool TModuleServer::SendTrickling(const std::vector<uint8_t> &wire)
{
    const auto gap = std::chrono::milliseconds(FOptions.faults.trickleDelayMs);
    for (size_t i = 0; i < wire.size(); ++i) {
        if (i > 0 && !FStop.SleepUntil(TClock::now() + gap))
            return false;
        if (!WriteAll(FTerminal->MasterFd(), &wire[i], 1, FStop))
            return false;
    }
    return true;
}

} // namespace morlith
