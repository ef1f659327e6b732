// SPDX-License-Identifier: MIT
#include "HostPort.h"

#include "Crc16.h"
#include "DescriptorIo.h"
#include "ModuleProtocol.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace morlith::test {

THostPort::THostPort(const std::string &path)
{
    FFd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(FFd, 0) << "cannot open " << path << ": " << strerror(errno);
    termios settings{};
    if (FFd >= 0 && tcgetattr(FFd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(FFd, TCSANOW, &settings);
    }
}

THostPort::~THostPort()
{
    if (FFd >= 0)
        close(FFd);
}

bool THostPort::Send(const std::vector<uint8_t> &bytes) { return WriteAll(FFd, bytes); }

bool THostPort::SendRequest(char command, const std::vector<uint8_t> &payload)
{
    return Send(EncodeRequest(uint8_t(command), payload));
}

std::vector<uint8_t> THostPort::Read(size_t count, std::chrono::milliseconds gap)
{
    return ReadUpTo(FFd, count, int(gap.count()));
}

std::vector<uint8_t> THostPort::Exchange(char command, const std::vector<uint8_t> &payload,
                                         size_t replyLength)
{
    if (!SendRequest(command, payload))
        return {};
    return Read(replyLength + kReplyCrcBytes, kReplyWait);
}

bool THostPort::SeesHangUp(std::chrono::milliseconds timeout)
{
    pollfd entry{FFd, POLLIN, 0};
    const int ready = poll(&entry, 1, int(timeout.count()));
    return ready > 0 && (entry.revents & (POLLHUP | POLLERR));
}

std::vector<uint8_t> HandshakePayload()
{
    std::vector<uint8_t> payload(kMaxRequestPayload);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i);
    return payload;
}

std::vector<uint8_t> FlashInitPayload(uint8_t mode, uint8_t key)
{
    std::vector<uint8_t> payload(kMaxRequestPayload, 0x3C);
    payload[kFlashInitModeOffset] = mode;
    payload[kFlashInitKeyOffset] = key;
    return payload;
}

bool CrcHolds(const std::vector<uint8_t> &reply)
{
    return reply.size() >= 2 && CRC16(reply.data(), int64_t(reply.size())) == 0;
}

std::string ReadTextFile(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace morlith::test

namespace morlith::test {

TRunningModule::TRunningModule(TModuleServerOptions options)
    : FServer(std::make_unique<TModuleServer>(std::move(options)))
{
    FServer->Start();
    FHost = std::make_unique<THostPort>(FServer->SlavePath());
}

void TRunningModule::ReopenHost()
{
    FHost.reset();
    FHost = std::make_unique<THostPort>(FServer->SlavePath());
}

} // namespace morlith::test
