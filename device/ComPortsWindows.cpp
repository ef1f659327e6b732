// SPDX-License-Identifier: MIT
#include "ComPortsWindows.h"

#include "PortMap.h"
#include "WindowsText.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

namespace morlith {
namespace {

// The four hex digits after `tag` ("VID_") in `text`, lower case; empty when there are none.
std::string HexAfter(const std::string &text, const std::string &tag)
{
    const size_t at = text.find(tag);
    if (at == std::string::npos || at + tag.size() + 4 > text.size())
        return "";
    std::string digits = text.substr(at + tag.size(), 4);
    for (char &c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return "";
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return digits;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void AddPort(std::map<unsigned, TComPortEntry> &ports, const std::string &name, const std::string &device)
{
    const auto number = ComPortNumber(name);
    if (!number)
        return;
    TComPortEntry &entry = ports[*number];
    entry.Number = *number;
    entry.Name = "COM" + std::to_string(*number);
    if (entry.Device.empty())
        entry.Device = device;
}

// The serial-port map: value names are devices, values the COM names.
void ReadSerialMap(std::map<unsigned, TComPortEntry> &ports)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t device[256];
        wchar_t name[256];
        DWORD deviceLength = 256;
        DWORD nameBytes = sizeof name;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, device, &deviceLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(name), &nameBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const size_t nameLength = wcsnlen(name, nameBytes / sizeof(wchar_t));
        AddPort(ports, Utf8FromWide(name, nameLength), Utf8FromWide(device, deviceLength));
    }
    RegCloseKey(key);
}

// The DOS device names that are COM ports.
void ReadDosDevices(std::map<unsigned, TComPortEntry> &ports)
{
    std::vector<wchar_t> names(1 << 16);
    DWORD length = 0;
    while ((length = QueryDosDeviceW(nullptr, names.data(), DWORD(names.size()))) == 0 &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24))
        names.resize(names.size() * 2);
    for (size_t at = 0; at < length && names[at] != L'\0';) {
        const std::wstring name(names.data() + at);
        at += name.size() + 1;
        const std::string text = Utf8FromWide(name);
        const auto number = ComPortNumber(text);
        if (!number || Upper(text) != "COM" + std::to_string(*number))
            continue;
        wchar_t target[1024] = {};
        const DWORD got = QueryDosDeviceW(name.c_str(), target, 1024);
        AddPort(ports, text, got ? Utf8FromWide(std::wstring(target)) : "");
    }
}

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA &info, DWORD property)
{
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, reinterpret_cast<BYTE *>(text),
                                           sizeof text - sizeof(wchar_t), nullptr) ||
        type != REG_SZ)
        return "";
    return Utf8FromWide(std::wstring(text));
}

// What the device manager knows of the ports: friendly names and USB ids, by COM number.
void ReadDeviceManager(std::map<unsigned, TComPortEntry> &ports)
{
    const HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA info {};
    info.cbSize = sizeof info;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &info); ++index) {
        const HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t portName[64] = {};
        DWORD bytes = sizeof portName - sizeof(wchar_t);
        DWORD type = 0;
        const bool named = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(portName),
                                            &bytes) == ERROR_SUCCESS && type == REG_SZ;
        RegCloseKey(key);
        const auto number = named ? ComPortNumber(Utf8FromWide(std::wstring(portName))) : std::nullopt;
        // Only ports the system names now: a device that lost its port is no port.
        const auto entry = number ? ports.find(*number) : ports.end();
        if (entry == ports.end())
            continue;
        entry->second.FriendlyName = DeviceProperty(set, info, SPDRP_FRIENDLYNAME);
        wchar_t instance[512] = {};
        if (SetupDiGetDeviceInstanceIdW(set, &info, instance, 511, nullptr))
            ReadInstanceId(Utf8FromWide(std::wstring(instance)), entry->second);
    }
    SetupDiDestroyDeviceInfoList(set);
}

} // namespace

void ReadInstanceId(const std::string &instanceId, TComPortEntry &entry)
{
    const std::string id = Upper(instanceId);
    entry.VendorId = HexAfter(id, "VID_");
    entry.ProductId = HexAfter(id, "PID_");
    entry.SerialNumber.clear();
    if (entry.VendorId.empty() || entry.ProductId.empty())
        return;
    if (id.rfind("USB\\", 0) == 0) {
        const size_t last = instanceId.rfind('\\');
        const std::string tail = instanceId.substr(last + 1);
        if (last > 4 && tail.find('&') == std::string::npos)
            entry.SerialNumber = tail;
    } else if (id.rfind("FTDIBUS\\", 0) == 0) {
        const size_t start = instanceId.find('+', instanceId.find("PID_"));
        const size_t end = instanceId.find('\\', start == std::string::npos ? 0 : start);
        if (start != std::string::npos && end != std::string::npos && end > start + 1)
            entry.SerialNumber = instanceId.substr(start + 1, end - start - 1);
    }
}

std::vector<TComPortEntry> SystemComPorts()
{
    std::map<unsigned, TComPortEntry> ports;
    ReadSerialMap(ports);
    ReadDosDevices(ports);
    ReadDeviceManager(ports);
    std::vector<TComPortEntry> list;
    for (const auto &[number, entry] : ports)
        list.push_back(entry);
    return list;
}

bool SystemNamesComPort(unsigned number)
{
    wchar_t target[1024];
    const std::wstring name = L"COM" + std::to_wstring(number);
    if (QueryDosDeviceW(name.c_str(), target, 1024) != 0)
        return true;
    std::map<unsigned, TComPortEntry> ports;
    ReadSerialMap(ports);
    return ports.count(number) > 0;
}

std::optional<TComPortEntry> SystemComPort(unsigned number)
{
    for (const auto &entry : SystemComPorts())
        if (entry.Number == number)
            return entry;
    return std::nullopt;
}

} // namespace morlith
