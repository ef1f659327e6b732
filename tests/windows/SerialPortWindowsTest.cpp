// SPDX-License-Identifier: MIT
// The Win32 side of the serial port without a device behind it: what a Win32 error means, how
// COM names become device names, and what opening a port that is not there reports.

#include "CPDrv.h"
#include "ComPortsWindows.h"
#include "ComPortProgrammator.h"
#include "PortMap.h"
#include "SerialErrorWindows.h"
#include "SerialPort.h"
#include "WindowsError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <windows.h>

namespace morlith {
namespace {

// A port number no test machine has.
constexpr const char *kAbsentPort = "COM239";

TEST(SerialErrorWindows, OpeningErrorsNameTheCauseAndLaterOnesAHangUp)
{
    EXPECT_EQ(KindOfSerialError(ERROR_FILE_NOT_FOUND, true), TFailureKind::fkNotFound);
    EXPECT_EQ(KindOfSerialError(ERROR_PATH_NOT_FOUND, true), TFailureKind::fkNotFound);
    EXPECT_EQ(KindOfSerialError(ERROR_ACCESS_DENIED, true), TFailureKind::fkBusy);
    EXPECT_EQ(KindOfSerialError(ERROR_SHARING_VIOLATION, true), TFailureKind::fkBusy);
    EXPECT_EQ(KindOfSerialError(ERROR_PRIVILEGE_NOT_HELD, true), TFailureKind::fkPermission);
    // An adapter pulled out under an open handle reports one of these.
    const std::initializer_list<uint32_t> goneErrors = {
        ERROR_ACCESS_DENIED,     ERROR_NOT_READY,      ERROR_GEN_FAILURE, ERROR_DEVICE_NOT_CONNECTED, ERROR_BAD_COMMAND,
        ERROR_OPERATION_ABORTED, ERROR_DEVICE_REMOVED, ERROR_IO_DEVICE,   kErrorNoSuchDevice};
    for (uint32_t gone : goneErrors)
        EXPECT_EQ(KindOfSerialError(gone, false), TFailureKind::fkHangUp) << gone;
    EXPECT_EQ(KindOfSerialError(ERROR_INVALID_PARAMETER, false), TFailureKind::fkOs);
    EXPECT_EQ(KindOfSerialError(ERROR_SUCCESS, false), TFailureKind::fkNone);
}

TEST(SerialErrorWindows, AWriteWithoutFlowControlIsLimitedToItsLineTimeWithRoomToSpare)
{
    struct Row {
        uint32_t baud;
        bool rtsCts, xonXoff;
        uint32_t msPerByte, constantMs;
    };
    for (const Row &row : {Row{300, false, false, 34, 500}, Row{9600, false, false, 2, 500},
                           Row{19200, false, false, 1, 500}, Row{921600, false, false, 1, 500},
                           Row{0, false, false, 10000, 500}, Row{19200, true, false, 0, 10},
                           Row{19200, false, true, 0, 10}}) {
        LineSettings settings;
        settings.BaudRate = row.baud;
        settings.RtsCtsFlow = row.rtsCts;
        settings.XonXoffFlow = row.xonXoff;
        const TWriteLimit limit = WriteLimitFor(settings);
        EXPECT_EQ(limit.MsPerByte, row.msPerByte) << row.baud;
        EXPECT_EQ(limit.ConstantMs, row.constantMs) << row.baud;
    }
}

TEST(ComPortsWindows, TheInstanceIdGivesTheUsbIdsAndTheSerialNumber)
{
    struct Row {
        const char *instanceId, *vendor, *product, *serial;
    };
    for (const Row &row : {Row{"USB\\VID_0403&PID_6001\\A1B2C3", "0403", "6001", "A1B2C3"},
                           Row{"USB\\VID_067B&PID_2303\\5&2A3B4C&0&1", "067b", "2303", ""},
                           Row{"FTDIBUS\\VID_0403+PID_6015+DN05ABCDA\\0000", "0403", "6015", "DN05ABCDA"},
                           Row{"usb\\vid_10c4&pid_ea60\\0001", "10c4", "ea60", "0001"},
                           Row{"ACPI\\PNP0501\\1", "", "", ""},
                           Row{"USB\\VID_04X3&PID_6001\\A1", "", "6001", ""}}) {
        TComPortEntry entry;
        entry.SerialNumber = "left over";
        ReadInstanceId(row.instanceId, entry);
        EXPECT_EQ(entry.VendorId, row.vendor) << row.instanceId;
        EXPECT_EQ(entry.ProductId, row.product) << row.instanceId;
        EXPECT_EQ(entry.SerialNumber, row.serial) << row.instanceId;
    }
}

TEST(SerialErrorWindows, FileErrorsBecomeTheirErrnoValuesWithTheSystemsText)
{
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_FILE_NOT_FOUND), ENOENT);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_PATH_NOT_FOUND), ENOENT);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_ACCESS_DENIED), EACCES);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_FILE_EXISTS), EEXIST);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_ALREADY_EXISTS), EEXIST);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_DISK_FULL), ENOSPC);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_SHARING_VIOLATION), EBUSY);
    EXPECT_EQ(ErrnoOfWindowsError(ERROR_CRC), EIO);
    EXPECT_FALSE(WindowsErrorText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_NE(WindowsErrorText(ERROR_FILE_NOT_FOUND).back(), '\n');
}

TEST(PortNamesWindows, AComNameIsTheDeviceItself)
{
    EXPECT_EQ(ResolvePortName("COM3"), "\\\\.\\COM3");
    EXPECT_EQ(ResolvePortName("com12"), "\\\\.\\COM12");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM7"), "\\\\.\\COM7");
    EXPECT_EQ(ResolvePortName("\\\\.\\PIPE\\x"), "\\\\.\\PIPE\\x");
}

TEST(SerialPortWindows, AnAbsentPortIsNotFoundAndNamesTheDevice)
{
    TSerialPort port;
    EXPECT_FALSE(port.Open(ResolvePortName(kAbsentPort)));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkNotFound) << port.LastFailure();
    EXPECT_EQ(port.LastFailure().Device, "\\\\.\\COM239");
    EXPECT_EQ(port.LastFailure().OsError, int(ERROR_FILE_NOT_FOUND));
}

TEST(SerialPortWindows, AMissingComPortIsNamedOnceWithItsDeviceName)
{
    TComPortProgrammator programmator;
    EXPECT_FALSE(programmator.Connect(239));
    EXPECT_EQ(programmator.LastFailure().Kind, TFailureKind::fkNotFound) << programmator.LastFailure();
    EXPECT_EQ(programmator.LastFailure().Device, "\\\\.\\COM239");
    EXPECT_EQ(programmator.LastFailure().Detail, "COM239: no such device");
}

TEST(SerialPortWindows, AFileIsNoSerialDevice)
{
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "morlith-not-a-port.txt";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    TSerialPort port;
    EXPECT_FALSE(port.Open(path));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastFailure().Kind, TFailureKind::fkOs) << port.LastFailure();
    EXPECT_NE(port.LastFailure().Detail.find("not a serial device"), std::string::npos);
    DeleteFileA(path.c_str());
}

TEST(SerialPortWindows, TheDriverReportsTheAbsentPortAndClosedValues)
{
    TCommPortDriver driver;
    driver.SetPortName(kAbsentPort);
    EXPECT_EQ(driver.DevicePath(), "\\\\.\\COM239");
    EXPECT_FALSE(driver.Connect());
    EXPECT_FALSE(driver.Connected());
    EXPECT_EQ(driver.LastFailure().Kind, TFailureKind::fkNotFound) << driver.LastFailure();
    EXPECT_EQ(driver.InQueueCount(), 65535u);
    EXPECT_EQ(driver.OutQueueRoom(), 65535u);
    EXPECT_FALSE(driver.PutByte(0x43));
    uint8_t byte = 0;
    EXPECT_EQ(driver.GetBytes(&byte, 1), 0u);
}

} // namespace
} // namespace morlith
