// SPDX-License-Identifier: MIT
#include "ModuleOnPort.h"

#include "PortMap.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace morlith;

PrivatePortMap::PrivatePortMap() : FFolder("morlith-engine-")
{
    setenv("XDG_CONFIG_HOME", FFolder.Path().c_str(), 1);
    // The operations log of the GUI goes to the test's folder too, never to the user's.
    setenv("XDG_STATE_HOME", FFolder.Path().c_str(), 1);
    fs::create_directories(PortMapDirectory());
}

PrivatePortMap::~PrivatePortMap()
{
    FServers.clear();
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_STATE_HOME");
}

TModuleServer &PrivatePortMap::Serve(int number, TModuleServerOptions options)
{
    auto server = std::make_unique<TModuleServer>(std::move(options));
    server->Start();
    const std::string link = PortMapDirectory() + "/COM" + std::to_string(number);
    fs::remove(link);
    fs::create_symlink(server->SlavePath(), link);
    auto &slot = FServers[number];
    slot = std::move(server);
    return *slot;
}

void PrivatePortMap::Unlink(int number)
{
    fs::remove(PortMapDirectory() + "/COM" + std::to_string(number));
    FServers.erase(number);
}

void PrivatePortMap::Link(int number, const std::string &target)
{
    const std::string link = PortMapDirectory() + "/COM" + std::to_string(number);
    FServers.erase(number);
    fs::remove(link);
    fs::create_symlink(target, link);
}

std::string Commands(const TModuleServer &server)
{
    std::string letters;
    for (const auto &entry : server.Trace().Entries())
        letters += char(entry.command);
    return letters;
}

std::string Trace(const TModuleServer &server)
{
    std::string text;
    for (const auto &entry : server.Trace().Entries())
        text += FormatTraceEntry(entry) + "\n";
    return text;
}
