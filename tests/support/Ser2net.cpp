// SPDX-License-Identifier: MIT
#include "Ser2net.h"

#include <netinet/in.h>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(2);

sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// True once something listens on the port: then it cannot be bound.
bool Listening(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool taken = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 &&
                       errno == EADDRINUSE;
    ::close(fd);
    return taken;
}

} // namespace

uint16_t FreeTcpPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("no free TCP port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

bool Ser2net::Installed()
{
    for (const char *path : {"/usr/sbin/ser2net", "/usr/bin/ser2net"})
        if (::access(path, X_OK) == 0)
            return true;
    return false;
}

Ser2net::Ser2net(const std::vector<std::string> &devices, const std::string &folder)
{
    const std::string config = folder + "/ser2net.yaml";
    {
        std::ofstream out(config);
        for (size_t i = 0; i < devices.size(); ++i) {
            Line line{devices[i], FreeTcpPort(), FreeTcpPort()};
            while (line.RawPort == line.Rfc2217Port)
                line.RawPort = FreeTcpPort();
            FLines.push_back(line);
            const struct {
                const char *name;
                std::string accepter;
            } accepters[] = {
                {"rfc", "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(line.Rfc2217Port)},
                {"raw", "tcp,127.0.0.1," + std::to_string(line.RawPort)},
            };
            for (const auto &accepter : accepters)
                out << "connection: &" << accepter.name << i << "\n"
                    << "  accepter: " << accepter.accepter << "\n"
                    << "  connector: serialdev," << line.Device << ",19200n81,local\n"
                    << "  options:\n"
                    << "    kickolduser: true\n"
                    << "    chardelay: false\n";
        }
    }
    const std::string log = folder + "/ser2net.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const std::string pidFile = folder + "/ser2net.pid";
    std::vector<std::string> arguments = {"ser2net", "-n", "-u", "-c", config, "-P", pidFile};
    std::vector<char *> argv;
    for (auto &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int rc = posix_spawnp(&FPid, "ser2net", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start ser2net");
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    for (const Line &line : FLines)
        for (uint16_t port : {line.Rfc2217Port, line.RawPort})
            while (!Listening(port)) {
                if (std::chrono::steady_clock::now() > deadline || ::waitpid(FPid, nullptr, WNOHANG) == FPid) {
                    Kill();
                    throw std::runtime_error("ser2net did not come up; see " + log);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
}

Ser2net::~Ser2net()
{
    if (FPid <= 0)
        return;
    // Asked to end first; a server still closing its lines after a while is killed.
    ::kill(FPid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (::waitpid(FPid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            Kill();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Ser2net::Kill()
{
    if (FPid <= 0)
        return;
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
}

std::string Ser2net::Rfc2217(size_t index) const
{
    return "rfc2217://127.0.0.1:" + std::to_string(FLines.at(index).Rfc2217Port);
}

std::string Ser2net::Socket(size_t index) const
{
    return "socket://127.0.0.1:" + std::to_string(FLines.at(index).RawPort);
}
