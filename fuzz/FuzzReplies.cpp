// SPDX-License-Identifier: MIT
// Arbitrary reply bytes fed to every command's Execute. The driver is the real one, on a
// pseudo-terminal whose far end plays the input back as the module's reply.
// Input: byte 0 picks the command (and byte 1 a data length for "D"), the rest is the reply.

#include "BootloaderCommands.h"
#include "CPDrv.h"

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace morlith;

namespace {

struct Line {
    int master = -1, slave = -1;
    TCommPortDriver driver;
    Line()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            std::abort();
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        fcntl(master, F_SETFL, O_NONBLOCK);
        driver.SetPortName(name);
        driver.SetInputTimeout(0);
        if (!driver.Connect())
            std::abort();
    }
    // Throws away what the host sent, so the line never fills up.
    void DrainRequests()
    {
        uint8_t buf[4096];
        while (read(master, buf, sizeof buf) > 0) {
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Line line;
    static TCPPCommandConnect connect(&line.driver);
    static TCPPCommandSelectMCUIndex select(&line.driver);
    static TCPPCommandDisconnect quit(&line.driver);
    static TCPPCommandFlashInit init(&line.driver);
    static TCPPCommandFlashWrite flashWrite(&line.driver);
    static TCPPCommandReadPSEG readBlock(&line.driver);
    static TCPPCommandReadDSEG readData(&line.driver);
    static TCPPCommandWritePSEG writeBlock(&line.driver);
    writeBlock.FlashInitCommand = &init;
    writeBlock.FlashWriteCommand = &flashWrite;
    if (size < 2)
        return 0;
    line.driver.PurgeQueues(true, true);
    if (size > 2 && write(line.master, data + 2, size - 2) < 0)
        return 0;
    TCPPCommand *commands[] = {&connect, &select, &quit, &init, &flashWrite, &readBlock, &readData, &writeBlock};
    const size_t which = data[0] % (sizeof commands / sizeof commands[0]);
    flashWrite.Count = uint8_t(data[1] % 60);
    readData.SetDataLength(uint16_t(data[1]) * 16);
    init.SetMode(data[1] % 4);
    commands[which]->Execute();
    line.DrainRequests();
    return 0;
}
