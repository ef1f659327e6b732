// SPDX-License-Identifier: MIT
// Lines behind a device server: the programmator against virtual modules served by a real
// ser2net on 127.0.0.1, as rfc2217:// and as socket://, and the failures of such lines. A few
// server behaviours ser2net never shows (refusing the COM-port option, never answering) come
// from a scripted TCP peer on the loopback.

#include "ComPortProgrammator.h"
#include "ModuleOnPort.h"
#include "PackageBuilder.h"
#include "Rfc2217Port.h"
#include "Ser2net.h"
#include "TelnetCodec.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
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

// A TCP peer on 127.0.0.1 that accepts one connection and answers its first bytes with
// `greeting` (nothing when empty). As an RFC 2217 server (`confirm`) it also confirms every
// COM-port request, records the requests and the line data it receives, and sends `later` once
// it has seen line data.
class ScriptedPeer {
public:
    explicit ScriptedPeer(Bytes greeting, bool confirm = false, Bytes later = {})
    {
        FListener = LoopbackListener(1, FPort);
        (void)!::pipe(FStop);
        FThread = std::thread([this, greeting, confirm, later] { Run(greeting, confirm, later); });
    }
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

private:
    void Run(const Bytes &greeting, bool confirm, const Bytes &later)
    {
        pollfd fds[2] = {{FListener, POLLIN, 0}, {FStop[0], POLLIN, 0}};
        if (::poll(fds, 2, 10000) <= 0 || (fds[1].revents & POLLIN))
            return;
        const int connection = ::accept(FListener, nullptr, nullptr);
        uint8_t buffer[256];
        pollfd in[2] = {{connection, POLLIN, 0}, {FStop[0], POLLIN, 0}};
        bool greeted = false, sentLater = false;
        telnet::TDecoder decoder;
        while (::poll(in, 2, 10000) > 0 && !(in[1].revents & POLLIN)) {
            const ssize_t n = ::read(connection, buffer, sizeof buffer);
            if (n <= 0)
                break;
            if (!greeted && !greeting.empty())
                (void)!::write(connection, greeting.data(), greeting.size());
            greeted = true;
            if (!confirm)
                continue;
            std::vector<telnet::TCommand> commands;
            std::lock_guard<std::mutex> lock(FLock);
            decoder.Feed(buffer, size_t(n), FData, commands);
            for (const auto &command : commands) {
                if (command.Verb != telnet::kSb || command.Payload.empty())
                    continue;
                FRequests.push_back(command.Payload);
                Bytes answer = command.Payload;
                answer[0] = uint8_t(answer[0] + 100);
                const Bytes reply = telnet::Subnegotiation(telnet::kOptionComPort, answer);
                (void)!::write(connection, reply.data(), reply.size());
            }
            // The notification and the data come a byte at a time: every sequence is cut.
            if (!FData.empty() && !sentLater) {
                for (uint8_t b : later) {
                    (void)!::write(connection, &b, 1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                sentLater = true;
            }
        }
        ::close(connection);
    }

    int FListener = -1;
    int FStop[2] = {-1, -1};
    uint16_t FPort = 0;
    std::thread FThread;
    std::mutex FLock;
    std::vector<Bytes> FRequests;
    Bytes FData;
};

} // namespace

TEST(NetworkLineNegotiation, AServerThatRefusesTheComPortOptionIsToldToUseSocket)
{
    ScriptedPeer peer({255, 254, 44}); // IAC DONT COM-PORT-OPTION
    TComPortProgrammator programmator;
    const std::string address = peer.Address();
    programmator.SetPortNaming([address](int32_t) { return address; });
    EXPECT_FALSE(programmator.Connect(1));
    const TFailure &failure = programmator.LastFailure();
    EXPECT_EQ(failure.Kind, TFailureKind::fkBadReply) << failure;
    EXPECT_NE(failure.Detail.find("does not speak RFC 2217: use socket://"), std::string::npos) << failure;
    EXPECT_EQ(failure.Step, "opening " + address);
}

TEST(NetworkLineNegotiation, AStopEndsTheWaitForASilentServerAtOnce)
{
    ScriptedPeer peer({});
    TComPortProgrammator programmator;
    const std::string address = peer.Address();
    programmator.SetPortNaming([address](int32_t) { return address; });
    Clock::time_point stopped{};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopped = Clock::now();
        programmator.RequestAbort();
    });
    EXPECT_FALSE(programmator.Connect(1));
    const auto returned = Clock::now();
    stopper.join();
    const long afterStopMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(returned - stopped).count());
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkStopped) << programmator.LastFailure();
    EXPECT_LT(afterStopMs, 100 + 150) << "the wait looks at the stop flag every 50 ms";
}

TEST(NetworkLineNegotiation, ARawServerAddressedAsRfc2217IsToldToUseSocket)
{
    ScriptedPeer peer({});
    TRfc2217Port port(nullptr, 50);
    const auto start = Clock::now();
    EXPECT_FALSE(port.Open(peer.Address()));
    EXPECT_GE(MsSince(start), long(TRfc2217Port::kNegotiationTimeoutMs) - 50);
    EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkNoReply) << port.LastFailure();
    EXPECT_NE(port.LastFailure().Detail.find("use socket://"), std::string::npos) << port.LastFailure();
    EXPECT_FALSE(port.IsOpen());
}

TEST(NetworkLineNegotiation, LineSettingsAndPurgesGoToTheServerAndEveryFFIsEscapedBothWays)
{
    using namespace telnet;
    // IAC DO COM-PORT-OPTION; later a modem state with CTS and DCD, then data with 0xFF doubled.
    ScriptedPeer peer({kIac, kDo, kOptionComPort}, true,
                      {kIac, kSb, kOptionComPort, 107, 0x90, kIac, kSe, 0x11, kIac, kIac, 0x22, kIac, kIac});
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
        EXPECT_GE(MsSince(start), long(TNetworkPort::kConnectTimeoutMs) - 50);
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
