// SPDX-License-Identifier: MIT
// Serial driver benchmark on a pseudo-terminal:
//  1. CPU time spent while GetBytes waits out a 1000 ms inactivity limit on a silent line;
//  2. request/reply round trips per second against an instant responder on the far end.
// Usage: bench_serial [round-trips]

#include "BenchClock.h"
#include "BootloaderCommands.h"
#include "CPDrv.h"
#include "Crc16.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace morlith;

namespace {

// Answers every 4-byte "Q" request at once with a 2-byte payload and its CRC.
void Responder(int master, std::atomic<bool> &stop)
{
    uint8_t reply[4] = {0, 0, 0, 0};
    const uint16_t crc = CRC16(reply, 2);
    reply[2] = uint8_t(crc >> 8);
    reply[3] = uint8_t(crc);
    size_t pending = 0;
    while (!stop) {
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0)
            continue;
        uint8_t buf[256];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        pending += size_t(n);
        while (pending >= 4) {
            pending -= 4;
            if (write(master, reply, sizeof reply) != ssize_t(sizeof reply))
                return;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const int roundTrips = argc > 1 ? std::atoi(argv[1]) : 5000;
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);

    TCommPortDriver driver;
    driver.SetPortName(name);
    driver.SetBaudRateValue(19200);
    driver.SetInputTimeout(1000);
    if (!driver.Connect()) {
        std::fprintf(stderr, "%s\n", driver.LastFailure().Message().c_str());
        return 1;
    }

    uint8_t buf[16];
    double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    const uint32_t got = driver.GetBytes(buf, sizeof buf);
    double cpu = ProcessCpuMs() - cpu0, wall = NowMs() - wall0;
    std::printf("silent line: GetBytes returned %u bytes after %.0f ms wall, %.2f ms CPU (%.3f%% of "
                "one core)\n",
                got, wall, cpu, 100.0 * cpu / wall);

    std::atomic<bool> stop{false};
    std::thread responder(Responder, master, std::ref(stop));
    TCPPCommandDisconnect command(&driver);
    int ok = 0;
    cpu0 = ProcessCpuMs();
    wall0 = NowMs();
    for (int i = 0; i < roundTrips; ++i)
        ok += command.Execute() ? 1 : 0;
    cpu = ProcessCpuMs() - cpu0;
    wall = NowMs() - wall0;
    stop = true;
    responder.join();
    std::printf("round trips: %d of %d good in %.0f ms: %.0f per second, %.1f us CPU each (both "
                "ends)\n",
                ok, roundTrips, wall, 1000.0 * roundTrips / wall, 1000.0 * cpu / roundTrips);
    close(slave);
    close(master);
    return ok == roundTrips ? 0 : 1;
}
