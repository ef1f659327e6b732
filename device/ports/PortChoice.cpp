// SPDX-License-Identifier: MIT
#include "PortChoice.h"

#include "ConfigurationU.h"
#include "NumberText.h"
#include "PortAddress.h"
#include "PortDevice.h"
#include "PortMap.h"
#include "PathText.h"
#include "TextFill.h"

#include <climits>
#include <filesystem>

namespace morlith {
namespace {

TPortSelection One(TPortChoice choice)
{
    TPortSelection selection;
    selection.Ports.push_back(std::move(choice));
    return selection;
}

TPortSelection Failure(std::string error)
{
    TPortSelection selection;
    selection.Error = std::move(error);
    return selection;
}

TPortChoice ComPort(unsigned number)
{
    const std::string name = "COM" + std::to_string(number);
    return TPortChoice{name, int32_t(number), ResolvePortName(name)};
}

} // namespace

TPortSelection ParsePortArgument(const std::string &text)
{
    if (!text.empty() && text[0] == '/')
        return One(TPortChoice{text, 0, text});
    if (IsPortAddress(text)) {
        std::string error;
        const auto address = ParsePortAddress(text, &error);
        if (!address)
            return Failure("--port " + error);
        return One(TPortChoice{address->Text(), 0, address->Text()});
    }
    const auto number = ComPortNumber(text);
    const auto bare = ParseWholeNumber(text, 1, kMaxComNumber);
    if ((number && *number <= kMaxComNumber) || bare)
        return One(ComPort(number ? *number : unsigned(*bare)));
    return Failure("--port " + text + ": give COM1 .. COM" + std::to_string(kMaxComNumber) +
                   ", a number 1 .. " + std::to_string(kMaxComNumber) +
                   ", a device path starting with /, or rfc2217://HOST:PORT or socket://HOST:PORT");
}

TPortSelection ConfiguredPort()
{
    IntfPtr<TConfiguration> configuration(new TConfiguration());
    // A configuration file that is there but does not load must not silently become COM1: a
    // write would then go to a port nobody chose.
    std::error_code error;
    const bool present = std::filesystem::exists(std::filesystem::symlink_status(PathFromUtf8(configuration->FilePath()), error));
    if (!present)
        return One(ComPort(1));
    // A load leaves a setting the file does not hold as it was: a port no file can name marks it.
    constexpr int32_t kNoPortNamed = INT32_MIN;
    configuration->SetPort(kNoPortNamed);
    configuration->Load();
    if (!configuration->Serializer().LastError().empty())
        return Failure(configuration->FilePath() + ": cannot use it to choose the port (" +
                       configuration->Serializer().LastError() + "); fix or remove it, or give --port");
    const int32_t index = configuration->GetPort();
    if (index == kNoPortNamed)
        return Failure(configuration->FilePath() + " names no port; give --port");
    if (index < 0 || index >= int32_t(kMaxComNumber))
        return Failure(configuration->FilePath() + ": Port " + std::to_string(index) +
                       " is out of range 0 .. " + std::to_string(kMaxComNumber - 1) + "; give --port");
    return One(ComPort(unsigned(index) + 1));
}

TPortSelection ChoosePorts(const std::vector<std::string> &arguments)
{
    TPortSelection chosen;
    if (arguments.empty()) {
        chosen = ConfiguredPort();
    } else {
        for (const std::string &argument : arguments) {
            TPortSelection one = ParsePortArgument(argument);
            if (!one.Error.empty())
                return one;
            chosen.Ports.push_back(one.Ports.front());
        }
    }
    if (!chosen.Error.empty())
        return chosen;
    // A port whose device is missing is still chosen: its own session fails with not_found (a
    // device problem, not a usage error), and the other ports run.
    for (size_t i = 0; i < chosen.Ports.size(); ++i) {
        for (size_t k = 0; k < i; ++k)
            if (SameDevice(chosen.Ports[k].DevicePath, chosen.Ports[i].DevicePath))
                return Failure("--port " + chosen.Ports[k].Label + " and --port " + chosen.Ports[i].Label +
                               " reach the same device");
    }
    return chosen;
}

std::string FileForPort(const std::string &pattern, const TPortChoice &port)
{
    std::string name = port.Label;
    for (char &c : name)
        if (c == '/')
            c = '_';
    name.erase(0, name.find_first_not_of('_'));
    return ReplaceAll(pattern, kPortPlaceholder, name);
}

} // namespace morlith
