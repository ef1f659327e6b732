// SPDX-License-Identifier: MIT
// Lines behind a device server: the programmator against virtual modules served by a real
// ser2net on 127.0.0.1, as rfc2217:// and as socket://, and the failures of such lines. A few
// server behaviours ser2net never shows (refusing the COM-port option, never answering) come
// from a scripted TCP peer on the loopback.

#include "ComPortProgrammator.h"
#include "LinePresence.h"
#include "ModuleOnPort.h"
#include "PackageBuilder.h"
#include "PollUntil.h"
#include "PortAddress.h"
#include "TcpSocket.h"
#include "Rfc2217Port.h"
#include "Ser2net.h"
#include "TelnetCodec.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace morlith;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

enum class Kind { Rfc2217, Socket };

std::string KindName(const ::testing::TestParamInfo<Kind> &info)
{
    return info.param == Kind::Rfc2217 ? "Rfc2217" : "Socket";
}

long MsSince(Clock::time_point start)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A plain image whose keyed bytes, the ones on the line, are all 0xFF: every one of them must be
// doubled on the way to an RFC 2217 server.
Bytes ImageSentAsFF(size_t size)
{
    for (size_t length = size; length > size - 64; --length)
        for (int key = 1; key < 256; ++key) {
            const Bytes plain(length, uint8_t(0xFF - key));
            if (BuildPackageBytes(plain, 0x0100).Key == key)
                return plain;
        }
    ADD_FAILURE() << "no image found whose keyed bytes are all 0xFF";
    return Bytes(size, 0xFF);
}

// One module behind ser2net, reached through the programmator as one kind of address.
class NetworkLine : public ::testing::TestWithParam<Kind> {
protected:
    void Serve(TModuleServerOptions options = {})
    {
        ASSERT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
        FModule = &FPorts.Serve(3, std::move(options));
        std::filesystem::create_directories(FPorts.File("ser2net"));
        FServer = std::make_unique<Ser2net>(std::vector<std::string>{FModule->SlavePath()}, FPorts.File("ser2net"));
        UseAddress(GetParam() == Kind::Rfc2217 ? FServer->Rfc2217() : FServer->Socket());
    }
    void UseAddress(const std::string &address)
    {
        FProgrammator.SetPortNaming([address](int32_t) { return address; });
        FProgrammator.Driver().SetInputTimeout(300);
    }
    std::string Package(const Bytes &plain)
    {
        const auto bytes = BuildPackageBytes(plain, 0x0100);
        const std::string path = FPorts.File("app.xml");
        std::string why;
        EXPECT_TRUE(SavePackageFile(path, bytes.Header, bytes.KeyedImage, 64, &why)) << why;
        return path;
    }
    TController Controller(int index = 0)
    {
        return FModule->WithModule([index](TVirtualModule &m) { return m.Controller(index); });
    }

    PrivatePortMap FPorts;
    TModuleServer *FModule = nullptr;
    std::unique_ptr<Ser2net> FServer;
    TComPortProgrammator FProgrammator;
};

} // namespace

TEST_P(NetworkLine, WritesTheApplicationAndBothWaysOfTheDataSegment)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = 256; // as long as the package says
    Serve(std::move(options));
    ASSERT_TRUE(FProgrammator.SelectMCU(3, 2)) << FProgrammator.LastFailure();

    const Bytes plain = ImageSentAsFF(1000);
    ASSERT_TRUE(FProgrammator.WriteApplication(Package(plain))) << FProgrammator.LastFailure();
    EXPECT_EQ(Controller(2).programMemory, plain);

    // The data segment starts erased (0xFF) and comes back as it is.
    const std::string read = FPorts.File("read.bin");
    ASSERT_TRUE(FProgrammator.ReadDSEG(read)) << FProgrammator.LastFailure();
    EXPECT_EQ(test::ReadBytes(read), Bytes(256, 0xFF));

    Bytes data(256);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = i % 3 == 0 ? 0xFF : uint8_t(i);
    const std::string written = FPorts.File("write.bin");
    std::ofstream(written, std::ios::binary).write(reinterpret_cast<const char *>(data.data()), long(data.size()));
    ASSERT_TRUE(FProgrammator.WriteDSEG(written)) << FProgrammator.LastFailure();
    EXPECT_EQ(Controller(2).dataSegment, data);
    EXPECT_TRUE(FProgrammator.Disconnect());
    EXPECT_EQ(Controller(0).programMemory, Bytes()) << "the write went to controller 2 only";
}

TEST_P(NetworkLine, NothingListeningIsNotFoundWhileOpening)
{
    // The raw kind goes over IPv6.
    const std::string host = GetParam() == Kind::Rfc2217 ? "rfc2217://127.0.0.1:" : "socket://[::1]:";
    UseAddress(host + std::to_string(FreeTcpPort()));
    EXPECT_FALSE(FProgrammator.Connect(1));
    const TFailure &failure = FProgrammator.LastFailure();
    EXPECT_EQ(failure.Kind, TFailureKind::fkNotFound) << failure;
    EXPECT_EQ(failure.Step.rfind("opening " + host, 0), 0u) << failure;
    EXPECT_NE(failure.Detail.find("refused"), std::string::npos) << failure;
}

TEST_P(NetworkLine, ASilentModuleIsNoReply)
{
    TModuleServerOptions options;
    options.faults.silent = true;
    Serve(std::move(options));
    EXPECT_FALSE(FProgrammator.Connect(3));
    EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkNoReply) << FProgrammator.LastFailure();
}

TEST_P(NetworkLine, TheServerGoingAwayMidWriteIsAHangUpAtOnce)
{
    Serve();
    ASSERT_TRUE(FProgrammator.Connect(3)) << FProgrammator.LastFailure();
    Clock::time_point killed{};
    FProgrammator.OnProgress = [&](TProgrammator *sender) {
        if (sender->Progress() >= 30 && killed == Clock::time_point{}) {
            FServer->Kill();
            killed = Clock::now();
        }
    };
    EXPECT_FALSE(FProgrammator.WriteApplication(Package(Bytes(2000, 0x5A))));
    const long afterKillMs = MsSince(killed);
    EXPECT_EQ(FProgrammator.LastFailure().Kind, TFailureKind::fkHangUp) << FProgrammator.LastFailure();
    // Well under the 300 ms reply limit: the closed connection is seen, not waited out.
    EXPECT_LT(afterKillMs, 250) << FProgrammator.LastFailure();
    EXPECT_FALSE(FProgrammator.GetConnected());
    EXPECT_FALSE(FProgrammator.Driver().Connected()) << "nothing more is sent to a line that went away";
}

TEST_P(NetworkLine, AModuleHangingUpEndsTheExchange)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 2;
    Serve(std::move(options));
    ASSERT_TRUE(FProgrammator.Connect(3)) << FProgrammator.LastFailure();
    EXPECT_FALSE(FProgrammator.SelectMCU(3, 1));
    // ser2net ends the connection when its device fails; a server that keeps it open leaves the
    // exchange without a reply.
    const TFailureKind kind = FProgrammator.LastFailure().Kind;
    EXPECT_TRUE(kind == TFailureKind::fkHangUp || kind == TFailureKind::fkNoReply) << FProgrammator.LastFailure();
}

INSTANTIATE_TEST_SUITE_P(BothKinds, NetworkLine, ::testing::Values(Kind::Rfc2217, Kind::Socket), KindName);

namespace {

// A socket listening on 127.0.0.1 at a port the system chose, with room for `backlog` pending
// connects; its port in `port`.
int LoopbackListener(int backlog, uint16_t &port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener, backlog);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

// What a scripted peer does with each connection it accepts.
struct PeerScript {
    // Sent in answer to the first bytes received (nothing when empty), after `greetAfterMs`.
    Bytes greeting;
    int greetAfterMs = 0;
    // As an RFC 2217 server: confirms every COM-port request (with `confirmAs` in place of the
    // value asked, where it names the request) and records requests and line data.
    bool confirm = false;
    std::map<uint8_t, Bytes> confirmAs;
    // Sent once after the stop size is confirmed (the last of the line settings).
    Bytes afterSettings;
    // Sent a byte at a time once line data came.
    Bytes later;
    // Sent again and again after the greeting, as fast as the connection takes it, or (trickle)
    // one every 100 ms.
    Bytes flood;
    Bytes trickle;
    // Connections closed as soon as their first bytes came; the ones after them are served.
    int closeFirst = 0;
};

// A TCP peer on 127.0.0.1 that plays a PeerScript to each connection, one after another.
class ScriptedPeer {
public:
    explicit ScriptedPeer(PeerScript script) : FScript(std::move(script))
    {
        FListener = LoopbackListener(4, FPort);
        (void)!::pipe(FStop);
        FThread = std::thread([this] { Run(); });
    }
    explicit ScriptedPeer(Bytes greeting) : ScriptedPeer(PeerScript{std::move(greeting)}) {}
    ~ScriptedPeer()
    {
        (void)!::write(FStop[1], "x", 1);
        FThread.join();
        ::close(FListener);
        ::close(FStop[0]);
        ::close(FStop[1]);
    }
    std::string Address() const { return "rfc2217://127.0.0.1:" + std::to_string(FPort); }
    // What was received so far: COM-port payloads and line data.
    std::vector<Bytes> Requests()
    {
        std::lock_guard<std::mutex> lock(FLock);
        return FRequests;
    }
    Bytes Data()
    {
        std::lock_guard<std::mutex> lock(FLock);
        return FData;
    }
    int Connections() const { return FConnections; }

private:
    void Run()
    {
        for (;;) {
            pollfd fds[2] = {{FListener, POLLIN, 0}, {FStop[0], POLLIN, 0}};
            if (::poll(fds, 2, 10000) <= 0 || (fds[1].revents & POLLIN))
                return;
            const int connection = ::accept(FListener, nullptr, nullptr);
            const bool close = FConnections++ < FScript.closeFirst;
            Serve(connection, close);
            ::close(connection);
        }
    }
    void Flood(int connection)
    {
        Bytes block;
        while (block.size() < 65536)
            block.insert(block.end(), FScript.flood.begin(), FScript.flood.end());
        pollfd out[2] = {{connection, POLLOUT, 0}, {FStop[0], POLLIN, 0}};
        while (::poll(out, 2, 10000) > 0 && !(out[1].revents & POLLIN))
            if (::send(connection, block.data(), block.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN)
                return;
    }
    void Trickle(int connection)
    {
        pollfd stop{FStop[0], POLLIN, 0};
        while (::poll(&stop, 1, 100) == 0)
            if (::send(connection, FScript.trickle.data(), FScript.trickle.size(), MSG_NOSIGNAL) < 0)
                return;
    }
    void Serve(int connection, bool closeAtOnce)
    {
        uint8_t buffer[256];
        pollfd in[2] = {{connection, POLLIN, 0}, {FStop[0], POLLIN, 0}};
        bool greeted = false, sentLater = false;
        telnet::TDecoder decoder;
        while (::poll(in, 2, 10000) > 0 && !(in[1].revents & POLLIN)) {
            const ssize_t n = ::read(connection, buffer, sizeof buffer);
            if (n <= 0 || closeAtOnce)
                return;
            if (!greeted) {
                std::this_thread::sleep_for(std::chrono::milliseconds(FScript.greetAfterMs));
                if (!FScript.greeting.empty())
                    (void)!::write(connection, FScript.greeting.data(), FScript.greeting.size());
                greeted = true;
                if (!FScript.flood.empty())
                    return Flood(connection);
                if (!FScript.trickle.empty())
                    return Trickle(connection);
            }
            if (!FScript.confirm)
                continue;
            std::vector<telnet::TCommand> commands;
            std::lock_guard<std::mutex> lock(FLock);
            decoder.Feed(buffer, size_t(n), FData, commands);
            for (const auto &command : commands) {
                if (command.Verb != telnet::kSb || command.Payload.empty())
                    continue;
                FRequests.push_back(command.Payload);
                Bytes answer = command.Payload;
                const auto instead = FScript.confirmAs.find(answer[0]);
                if (instead != FScript.confirmAs.end())
                    answer = instead->second;
                answer[0] = uint8_t(command.Payload[0] + 100);
                Bytes reply = telnet::Subnegotiation(telnet::kOptionComPort, answer);
                if (command.Payload[0] == 4)
                    reply.insert(reply.end(), FScript.afterSettings.begin(), FScript.afterSettings.end());
                (void)!::write(connection, reply.data(), reply.size());
            }
            // The notification and the data come a byte at a time: every sequence is cut.
            if (!FData.empty() && !sentLater) {
                for (uint8_t b : FScript.later) {
                    (void)!::write(connection, &b, 1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                sentLater = true;
            }
        }
    }

    PeerScript FScript;
    int FListener = -1;
    int FStop[2] = {-1, -1};
    uint16_t FPort = 0;
    std::thread FThread;
    std::mutex FLock;
    std::vector<Bytes> FRequests;
    Bytes FData;
    std::atomic<int> FConnections{0};
};

} // namespace

TEST(NetworkLineNegotiation, ARawServerAddressedAsRfc2217IsToldToUseSocket)
{
    ScriptedPeer peer(Bytes{});
    TRfc2217Port port(nullptr, 50);
    const auto start = Clock::now();
    EXPECT_FALSE(port.Open(peer.Address()));
    EXPECT_GE(MsSince(start), long(TRfc2217Port::kOpeningTimeoutMs) - 50);
    EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkNoReply) << port.LastFailure();
    EXPECT_NE(port.LastFailure().Detail.find("use socket://"), std::string::npos) << port.LastFailure();
    EXPECT_FALSE(port.IsOpen());
}

TEST(NetworkLineNegotiation, LineSettingsAndPurgesGoToTheServerAndEveryFFIsEscapedBothWays)
{
    using namespace telnet;
    // IAC DO COM-PORT-OPTION; later a modem state with CTS and DCD, then data with 0xFF doubled.
    PeerScript script{{kIac, kDo, kOptionComPort}};
    script.confirm = true;
    script.later = {kIac, kSb, kOptionComPort, 107, 0x90, kIac, kSe, 0x11, kIac, kIac, 0x22, kIac, kIac};
    ScriptedPeer peer(script);
    TRfc2217Port port(nullptr, 50);
    ASSERT_TRUE(port.Open(peer.Address())) << port.LastFailure();
    LineSettings settings;
    settings.BaudRate = 19200;
    ASSERT_TRUE(port.Configure(settings)) << port.LastFailure();
    ASSERT_TRUE(port.Purge(true, true));
    const Bytes out = {0xFF, 0x01, 0xFF, 0xFF};
    ASSERT_EQ(port.Write(out.data(), out.size()), 4);

    Bytes in;
    const auto start = Clock::now();
    while (in.size() < 4 && MsSince(start) < 3000 && port.WaitReadable(500) == WaitResult::Ready) {
        uint8_t buffer[16];
        const long n = port.Read(buffer, sizeof buffer);
        ASSERT_GE(n, 0);
        in.insert(in.end(), buffer, buffer + n);
    }
    EXPECT_EQ(in, (Bytes{0x11, 0xFF, 0x22, 0xFF}));
    unsigned modem = 0;
    EXPECT_TRUE(port.ModemSignals(modem));
    EXPECT_EQ(modem, unsigned(mbCTS | mbDCD));
    EXPECT_EQ(peer.Data(), out);
    // No flow control, DTR and RTS on, 19200 (0x4B00) 8N1, then both buffers purged.
    EXPECT_EQ(peer.Requests(), (std::vector<Bytes>{{5, 1}, {5, 8}, {5, 11}, {1, 0, 0, 0x4B, 0x00}, {2, 8}, {3, 1},
                                                   {4, 1}, {12, 3}}));
}

namespace {

// A listener on 127.0.0.1 whose accept queue is full: a further connect gets no answer.
class FullListener {
public:
    FullListener()
    {
        FListener = LoopbackListener(0, FPort);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(FPort);
        // Fill the queue; these connects finish in the background or not at all.
        for (int &filler : FFillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            (void)::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~FullListener()
    {
        for (int filler : FFillers)
            ::close(filler);
        ::close(FListener);
    }
    std::string Address() const { return "socket://127.0.0.1:" + std::to_string(FPort); }

private:
    int FListener = -1;
    int FFillers[3] = {-1, -1, -1};
    uint16_t FPort = 0;
};

} // namespace

TEST(NetworkLineConnect, AConnectWithoutAnswerIsNoReplyOrEndsAtAStop)
{
    FullListener listener;
    {
        TNetworkPort port(nullptr, 50);
        const auto start = Clock::now();
        if (port.Open(listener.Address()))
            GTEST_SKIP() << "this kernel answers connects beyond a full accept queue";
        EXPECT_GE(MsSince(start), long(TNetworkPort::kOpeningTimeoutMs) - 50);
        EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkNoReply) << port.LastFailure();
        EXPECT_EQ(port.LastFailure().Step, "opening " + listener.Address());
    }
    std::atomic<bool> stop{false};
    TNetworkPort port(&stop, 50);
    Clock::time_point stopped{};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopped = Clock::now();
        stop = true;
    });
    EXPECT_FALSE(port.Open(listener.Address()));
    const auto returned = Clock::now();
    stopper.join();
    const long afterStopMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(returned - stopped).count());
    EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkStopped) << port.LastFailure();
    EXPECT_LT(afterStopMs, 100 + 150) << "the connect looks at the stop flag every 50 ms";
}

namespace {

using namespace telnet;
const Bytes kAgree = {kIac, kDo, kOptionComPort};
constexpr uint8_t kNop = 241;

// Opens an RFC 2217 line to `peer` and sets it to 19200 8N1 as the driver does on connecting;
// the failure (none when it worked) and how long it took.
std::pair<TFailure, long> OpenAndConfigure(ScriptedPeer &peer)
{
    TRfc2217Port port(nullptr, 50);
    const auto start = Clock::now();
    LineSettings settings;
    settings.BaudRate = 19200;
    const bool ok = port.Open(peer.Address()) && port.Configure(settings);
    return {ok ? TFailure{} : port.LastFailure(), MsSince(start)};
}

struct OpeningCase {
    const char *name;
    PeerScript script;
    TFailureKind kind;
    const char *words; // in the failure's detail
    long atLeastMs; // the opening is not given up on sooner
    // The most bytes the refusal may say were taken ("sent N bytes"); 0: no count.
    long mostTaken = 0;
};

PeerScript Script(Bytes greeting, bool confirm = false)
{
    PeerScript script{std::move(greeting)};
    script.confirm = confirm;
    return script;
}
PeerScript Flooding(Bytes greeting, Bytes flood)
{
    PeerScript script{std::move(greeting)};
    script.flood = std::move(flood);
    return script;
}
PeerScript Trickling(Bytes greeting, Bytes trickle)
{
    PeerScript script{std::move(greeting)};
    script.trickle = std::move(trickle);
    return script;
}
PeerScript AgreeingAfter(int ms)
{
    PeerScript script{kAgree};
    script.greetAfterMs = ms;
    return script;
}
PeerScript Closing(int connections)
{
    PeerScript script = Script(kAgree, true);
    script.closeFirst = connections;
    return script;
}
PeerScript Confirming(uint8_t command, Bytes value)
{
    PeerScript script = Script(kAgree, true);
    script.confirmAs[command] = std::move(value);
    return script;
}

class NetworkLineOpening : public ::testing::TestWithParam<OpeningCase> {};

} // namespace

// Whatever the server sends, the opening ends within its one limit, with what the server did.
TEST_P(NetworkLineOpening, EndsWithinItsLimitSayingWhatTheServerDid)
{
    const OpeningCase &row = GetParam();
    ScriptedPeer peer(row.script);
    const auto [failure, ms] = OpenAndConfigure(peer);
    EXPECT_EQ(failure.Kind, row.kind) << failure;
    EXPECT_NE(failure.Detail.find(row.words), std::string::npos) << failure;
    EXPECT_GE(ms, row.atLeastMs) << failure;
    EXPECT_LE(ms, long(TNetworkPort::kOpeningTimeoutMs) + 500) << failure;
    if (row.mostTaken > 0) {
        const size_t sent = failure.Detail.find(" sent ");
        ASSERT_NE(sent, std::string::npos) << failure;
        EXPECT_LE(std::stol(failure.Detail.substr(sent + 6)), row.mostTaken) << failure;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NetworkLineOpening,
    ::testing::Values(
        OpeningCase{"DataFloodBeforeTheAgreement", Flooding({}, {0x55}), TFailureKind::fkBadReply,
                    "bytes of line data and more that nothing asked for (at most 4096", 0, 4096},
        OpeningCase{"DataFloodAfterTheAgreement", Flooding(kAgree, {0x55, kIac, kIac}), TFailureKind::fkBadReply,
                    "that nothing asked for", 0, 4096},
        OpeningCase{"NopFloodBeforeTheAgreement", Flooding({}, {kIac, kNop}), TFailureKind::fkBadReply,
                    "bytes of Telnet commands without line data (at most 4096", 0, 4096 + 4096},
        OpeningCase{"NopFloodAfterTheAgreement", Flooding(kAgree, {kIac, kNop}), TFailureKind::fkBadReply,
                    "Telnet commands without line data", 0, 4096 + 4096},
        OpeningCase{"NopTrickleWithoutAgreement", Trickling({}, {kIac, kNop}), TFailureKind::fkNoReply,
                    "did not agree the COM-port option within 3000 ms", 2950},
        OpeningCase{"DataTrickleWithoutConfirmation", Trickling(kAgree, {0x55}), TFailureKind::fkNoReply,
                    "did not confirm the line settings", 2950},
        // Late agreement leaves the settings only what is left of the one limit.
        OpeningCase{"AgreementAfterTwoSecondsThenNoConfirmation", AgreeingAfter(2000), TFailureKind::fkNoReply,
                    "did not confirm the line settings", 2950},
        OpeningCase{"EveryConnectionClosedAtOnce", Closing(1000), TFailureKind::fkHangUp,
                    "closed the connection", 2800},
        OpeningCase{"AnotherRateConfirmed", Confirming(1, {1, 0, 0, 0x25, 0x80}), TFailureKind::fkBadReply,
                    "set the line to 9600 bit/s where 19200 bit/s was asked", 0},
        OpeningCase{"AnotherDataSizeConfirmed", Confirming(2, {2, 7}), TFailureKind::fkBadReply,
                    "7 data bits where 8 data bits was asked", 0},
        OpeningCase{"AnotherParityConfirmed", Confirming(3, {3, 3}), TFailureKind::fkBadReply,
                    "even parity where no parity was asked", 0},
        OpeningCase{"AnotherStopSizeConfirmed", Confirming(4, {4, 2}), TFailureKind::fkBadReply,
                    "2 stop bits where 1 stop bit was asked", 0},
        OpeningCase{"ARateConfirmedShort", Confirming(1, {1, 0x4B}), TFailureKind::fkBadReply,
                    "an unreadable rate where 19200 bit/s", 0}),
    [](const ::testing::TestParamInfo<OpeningCase> &info) { return std::string(info.param.name); });

namespace {

// The programmator connecting to a scripted peer, as a device command does.
class NetworkLineConnecting : public ::testing::Test {
protected:
    // Points the programmator at `peer` and connects, which fails; the failure.
    const TFailure &ConnectTo(const ScriptedPeer &peer)
    {
        const std::string address = peer.Address();
        FProgrammator.SetPortNaming([address](int32_t) { return address; });
        EXPECT_FALSE(FProgrammator.Connect(1));
        return FProgrammator.LastFailure();
    }

    TComPortProgrammator FProgrammator;
};

} // namespace

// A server that will not be a COM port, or holds the line, is refused in its own words, with
// nothing sent to the module.
TEST_F(NetworkLineConnecting, AServerThatRefusesOrHoldsTheLineIsSaidInItsOwnWords)
{
    PeerScript holding = Script(kAgree, true);
    holding.afterSettings = {kIac, kSb, kOptionComPort, 108, kIac, kSe}; // FLOWCONTROL-SUSPEND
    struct Case {
        const char *name;
        PeerScript script;
        TFailureKind kind;
        const char *words;
        bool whileOpening; // the step is "opening <address>"
    };
    const Case cases[] = {
        {"refuses the COM-port option", Script({kIac, kDont, kOptionComPort}), TFailureKind::fkBadReply,
         "does not speak RFC 2217: use socket://", true},
        {"holds the line", holding, TFailureKind::fkNoReply, "the server holds the line", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPeer peer(c.script);
        const TFailure &failure = ConnectTo(peer);
        EXPECT_EQ(failure.Kind, c.kind) << failure;
        EXPECT_NE(failure.Detail.find(c.words), std::string::npos) << failure;
        if (c.whileOpening) {
            EXPECT_EQ(failure.Step, "opening " + peer.Address());
        }
        EXPECT_EQ(peer.Data(), Bytes()) << "nothing reaches the module";
    }
}

TEST_F(NetworkLineConnecting, AStopEndsTheWaitForASilentServerAtOnce)
{
    ScriptedPeer peer(Bytes{});
    Clock::time_point stopped{};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopped = Clock::now();
        FProgrammator.RequestAbort();
    });
    const TFailure &failure = ConnectTo(peer);
    const auto returned = Clock::now();
    stopper.join();
    const long afterStopMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(returned - stopped).count());
    EXPECT_EQ(failure.Kind, TFailureKind::fkStopped) << failure;
    EXPECT_LT(afterStopMs, 100 + 150) << "the wait looks at the stop flag every 50 ms";
}

TEST(NetworkLineNegotiation, AServerThatClosesNewConnectionsAtFirstIsAskedAgainWithinTheLimit)
{
    ScriptedPeer peer(Closing(2));
    const auto [failure, ms] = OpenAndConfigure(peer);
    EXPECT_FALSE(failure.Failed()) << failure;
    EXPECT_EQ(peer.Connections(), 3);
    EXPECT_LT(ms, long(TNetworkPort::kOpeningTimeoutMs));
}

namespace {

struct LineOptionCase {
    const char *name;
    LineSettings settings;
    std::vector<Bytes> requests; // COM-port requests, in order
};

LineSettings With(void (*change)(LineSettings &))
{
    LineSettings settings;
    settings.BaudRate = 19200;
    change(settings);
    return settings;
}

// The requests for 19200 8N1, no flow control, DTR and RTS on, with `changed` in place of the
// default request of the same command (SET-CONTROL: of the same group of values: flow 1-3,
// DTR 7-9, RTS 10-12).
std::vector<Bytes> Requests(std::vector<Bytes> changed)
{
    std::vector<Bytes> requests = {{5, 1}, {5, 8}, {5, 11}, {1, 0, 0, 0x4B, 0x00}, {2, 8}, {3, 1}, {4, 1}};
    for (const Bytes &change : changed)
        for (Bytes &request : requests)
            if (request[0] == change[0] && (request[0] != 5 || (request[1] - 1) / 3 == (change[1] - 1) / 3))
                request = change;
    return requests;
}

class NetworkLineOptions : public ::testing::TestWithParam<LineOptionCase> {};

} // namespace

// Each line option reaches the server as its own value: odd is not sent as even.
TEST_P(NetworkLineOptions, EachValueGoesToTheServerAsItsOwn)
{
    ScriptedPeer peer(Script(kAgree, true));
    TRfc2217Port port(nullptr, 50);
    ASSERT_TRUE(port.Open(peer.Address())) << port.LastFailure();
    ASSERT_TRUE(port.Configure(GetParam().settings)) << port.LastFailure();
    EXPECT_EQ(peer.Requests(), GetParam().requests);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NetworkLineOptions,
    ::testing::Values(
        LineOptionCase{"NoParity", With([](LineSettings &) {}), Requests({})},
        LineOptionCase{"OddParity", With([](LineSettings &s) { s.Parity = LineParity::Odd; }), Requests({{3, 2}})},
        LineOptionCase{"EvenParity", With([](LineSettings &s) { s.Parity = LineParity::Even; }), Requests({{3, 3}})},
        LineOptionCase{"MarkParity", With([](LineSettings &s) { s.Parity = LineParity::Mark; }), Requests({{3, 4}})},
        LineOptionCase{"SpaceParity", With([](LineSettings &s) { s.Parity = LineParity::Space; }), Requests({{3, 5}})},
        LineOptionCase{"TwoStopBits", With([](LineSettings &s) { s.StopBits = LineStopBits::Two; }), Requests({{4, 2}})},
        LineOptionCase{"OneAndAHalfStopBits", With([](LineSettings &s) { s.StopBits = LineStopBits::OneAndHalf; }),
                       Requests({{4, 3}})},
        LineOptionCase{"FiveDataBits", With([](LineSettings &s) { s.DataBits = 5; }), Requests({{2, 5}})},
        LineOptionCase{"SixDataBits", With([](LineSettings &s) { s.DataBits = 6; }), Requests({{2, 6}})},
        LineOptionCase{"SevenDataBits", With([](LineSettings &s) { s.DataBits = 7; }), Requests({{2, 7}})},
        LineOptionCase{"Rate115200", With([](LineSettings &s) { s.BaudRate = 115200; }),
                       Requests({{1, 0, 0x01, 0xC2, 0x00}})},
        LineOptionCase{"XonXoff", With([](LineSettings &s) { s.XonXoffFlow = true; }), Requests({{5, 2}})},
        LineOptionCase{"DtrOff", With([](LineSettings &s) { s.Dtr = false; }), Requests({{5, 9}})},
        LineOptionCase{"RtsOff", With([](LineSettings &s) { s.Rts = false; }), Requests({{5, 12}})},
        // RTS is the handshake's own then: no RTS request.
        LineOptionCase{"RtsCts", With([](LineSettings &s) { s.RtsCtsFlow = true; }),
                       {{5, 3}, {5, 8}, {1, 0, 0, 0x4B, 0x00}, {2, 8}, {3, 1}, {4, 1}}}),
    [](const ::testing::TestParamInfo<LineOptionCase> &info) { return std::string(info.param.name); });

// A line behind a device server is there while the server keeps a connection to it open; the look
// sends nothing, so even a server that drops a connection at its first byte keeps it.
TEST(LinePresence, ALineIsThereWhileTheServerKeepsTheConnectionOpen)
{
    ASSERT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
    PrivatePortMap ports;
    // ser2net refuses a connection to a line that another of its connections is still closing:
    // each kind has a module of its own.
    TModuleServer &one = ports.Serve(3);
    TModuleServer &other = ports.Serve(4);
    std::filesystem::create_directories(ports.File("ser2net"));
    Ser2net server({one.SlavePath(), other.SlavePath(), ports.File("no-such-device")}, ports.File("ser2net"));
    EXPECT_TRUE(LinePresent(server.Rfc2217(0), nullptr));
    EXPECT_TRUE(LinePresent(server.Socket(1), nullptr));
    EXPECT_EQ(Trace(one) + Trace(other), "") << "nothing reached the modules";
    EXPECT_FALSE(LinePresent(server.Rfc2217(2), nullptr)) << "the server cannot open its device";
    EXPECT_FALSE(LinePresent(server.Socket(2), nullptr));
    EXPECT_FALSE(LinePresent("socket://127.0.0.1:" + std::to_string(FreeTcpPort()), nullptr));
    EXPECT_FALSE(LinePresent("socket://127.0.0.1", nullptr));

    // A server that takes the connection and closes it without a word.
    uint16_t port = 0;
    const int listener = LoopbackListener(1, port);
    std::thread closer([listener] { ::close(::accept(listener, nullptr, nullptr)); });
    EXPECT_FALSE(LinePresent("socket://127.0.0.1:" + std::to_string(port), nullptr));
    closer.join();
    ::close(listener);

    ScriptedPeer closingAtFirstByte(Closing(1000));
    EXPECT_TRUE(LinePresent(closingAtFirstByte.Address(), nullptr));
    EXPECT_EQ(closingAtFirstByte.Connections(), 1);

    ScriptedPeer silent(Bytes{});
    const std::atomic<bool> stop{true};
    const auto start = Clock::now();
    EXPECT_FALSE(LinePresent(silent.Address(), &stop));
    EXPECT_LT(MsSince(start), long(kLineHoldMs));
}

// The poller leaves a line in use alone, sees it go once free, and come back.
TEST(LinePresence, APollerSeesALineGoAndComeButLeavesALineInUseAlone)
{
    ASSERT_TRUE(Ser2net::Installed()) << "ser2net is not installed (scripts/install-deps installs it)";
    PrivatePortMap ports;
    TModuleServer &module = ports.Serve(3);
    const std::string line = ports.File("line");
    std::filesystem::create_symlink(module.SlavePath(), line);
    std::filesystem::create_directories(ports.File("ser2net"));
    Ser2net server({line}, ports.File("ser2net"));
    std::atomic<int> changes{0};
    TLinePoller poller([&] { ++changes; });
    poller.Follow({{"COM9", server.Socket()}});
    EXPECT_TRUE(poller.Present("COM9")) << "looked at before Follow returns";

    // The line's user keeps it: ser2net gives a line to its newest connection, so a look now would
    // take it away.
    poller.SetInUse("COM9", true);
    const auto address = ParsePortAddress(server.Socket());
    TTcpSocket user;
    ASSERT_TRUE(user.Connect(address->Host, address->Port, 1000, nullptr, 50)) << user.LastFailure();
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kLinePollMs));
    uint8_t received[256];
    long got = 0;
    while ((got = user.Receive(received, sizeof received)) > 0) {
    }
    EXPECT_EQ(got, 0) << "a line in use is not looked at";
    user.Close();
    std::filesystem::remove(line);
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kLinePollMs));
    EXPECT_TRUE(poller.Present("COM9")) << "a line in use is not looked at";
    poller.SetInUse("COM9", false);
    EXPECT_TRUE(test::PollUntil([&] { return !poller.Present("COM9"); }, std::chrono::seconds(5)));
    EXPECT_EQ(poller.TakeDepartures(), std::vector<std::string>{"COM9"});
    EXPECT_TRUE(poller.TakeDepartures().empty());

    std::filesystem::create_symlink(module.SlavePath(), line);
    EXPECT_TRUE(test::PollUntil([&] { return poller.Present("COM9"); }, std::chrono::seconds(5)));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(Trace(module), "") << "nothing reached the module";
    poller.Follow({});
    EXPECT_FALSE(poller.Present("COM9"));
}
