// SPDX-License-Identifier: MIT
#include "PortWatcher.h"

#include "DirectoryWatch.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "SerialDevices.h"
#include "PathText.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace morlith {
namespace {

std::string Normal(const std::string &folder)
{
    std::string path = Utf8OfPath(PathFromUtf8(folder).lexically_normal());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

class TPortMapWatcher : public TPortWatcher {
public:
    TPortMapWatcher(std::string folder, std::vector<std::string> names)
        : FFolder(Normal(folder)), FNames(std::move(names))
    {
    }

    std::string Start()
    {
        if (!FWatch.Error().empty())
            return FWatch.Error();
        std::error_code error;
        fs::create_directories(PathFromUtf8(FFolder), error);
        if (FWatch.Watch(FFolder) != FFolder)
            return "cannot watch the port map " + FFolder;
        (void)Present();
        return "";
    }

    int Fd() const override { return FWatch.Fd(); }

    std::vector<std::string> TakeDepartures() override
    {
        std::vector<std::string> departed;
        for (const TDirectoryEvent &event : FWatch.Drain()) {
            if (!event.Removed)
                continue;
            if (event.Folder == FFolder) {
                departed.push_back(event.Name);
                continue;
            }
            // Something an entry led to went (an adapter unplugged), perhaps to come back at once.
            const std::string gone = Utf8OfPath(PathFromUtf8(event.Folder) / PathFromUtf8(event.Name));
            for (const auto &[name, chain] : FChains)
                if (std::find(chain.begin(), chain.end(), gone) != chain.end())
                    departed.push_back(name);
        }
        return departed;
    }

    std::vector<TWatchedPort> Present() override
    {
        std::vector<TWatchedPort> ports;
        FChains.clear();
        for (const auto &entry : ReadPortMap(FFolder)) {
            if (!Wanted(entry.Name))
                continue;
            Follow(entry.Name);
            if (entry.Device.empty())
                continue;
            const std::string path = FFolder + "/" + entry.Name;
            ports.push_back({entry.Name, TPortChoice{entry.Name, int32_t(entry.Number), path}, entry.Device});
        }
        return ports;
    }

    std::string Description() const override { return "the port map " + FFolder; }

private:
    bool Wanted(const std::string &name) const
    {
        return FNames.empty() || std::find(FNames.begin(), FNames.end(), name) != FNames.end();
    }

    // The folders an entry leads through are watched too, so that a device appearing or going
    // behind an existing entry (an adapter plugged in under /dev/serial/by-id) is noticed.
    void Follow(const std::string &name)
    {
        std::vector<std::string> &chain = FChains[name];
        chain = LinkHops(FFolder + "/" + name);
        for (const std::string &hop : chain)
            if (!IsPortAddress(hop))
                FWatch.Watch(Utf8OfPath(PathFromUtf8(hop).parent_path()));
    }

    std::string FFolder;
    std::vector<std::string> FNames;
    TDirectoryWatch FWatch;
    // The chain of each entry as last seen.
    std::map<std::string, std::vector<std::string>> FChains;
};

} // namespace

std::unique_ptr<TPortWatcher> WatchPortMap(const std::vector<std::string> &names, std::string &error)
{
    auto watcher = std::make_unique<TPortMapWatcher>(PortMapDirectory(), names);
    error = watcher->Start();
    if (!error.empty())
        return nullptr;
    return watcher;
}

} // namespace morlith
