// SPDX-License-Identifier: MIT
#include "PortWatcher.h"

#include "DirectoryWatch.h"
#include "LinePresence.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "SerialDevices.h"
#include "PathText.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/epoll.h>
#include <unistd.h>

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

// The port map folder, and the lines behind device servers that its entries name: an entry
// naming an address is there while its line is (LinePresence.h), so that each module put on the
// line is seen.
class TPortMapWatcher : public TPortWatcher {
public:
    TPortMapWatcher(std::string folder, std::vector<std::string> names)
        : FFolder(Normal(folder)), FNames(std::move(names))
    {
    }

    ~TPortMapWatcher() override
    {
        FLines.reset();
        for (const int fd : {FEvents, FLineChange[0], FLineChange[1]})
            if (fd >= 0)
                ::close(fd);
    }

    std::string Start()
    {
        if (!FWatch.Error().empty())
            return FWatch.Error();
        // One descriptor for both: the folder's events and the lines' changes.
        FEvents = ::epoll_create1(EPOLL_CLOEXEC);
        if (FEvents < 0 || ::pipe2(FLineChange, O_CLOEXEC | O_NONBLOCK) != 0)
            return "cannot watch the port map: no descriptors left";
        for (const int fd : {FWatch.Fd(), FLineChange[0]}) {
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            if (::epoll_ctl(FEvents, EPOLL_CTL_ADD, fd, &event) != 0)
                return "cannot watch the port map: no descriptors left";
        }
        const int changed = FLineChange[1];
        // A full pipe is readable already: nothing is lost.
        FLines = std::make_unique<TLinePoller>([changed] { (void)!::write(changed, "x", 1); });
        std::error_code error;
        fs::create_directories(PathFromUtf8(FFolder), error);
        if (FWatch.Watch(FFolder) != FFolder)
            return "cannot watch the port map " + FFolder;
        (void)Present();
        return "";
    }

    int Fd() const override { return FEvents; }

    void SetInUse(const std::string &key, bool inUse) override { FLines->SetInUse(key, inUse); }

    std::vector<std::string> TakeDepartures() override
    {
        char drained[64];
        while (::read(FLineChange[0], drained, sizeof drained) > 0) {
        }
        std::vector<std::string> departed = FLines->TakeDepartures();
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
        std::map<std::string, std::string> addresses;
        FChains.clear();
        const std::vector<TPortMapEntry> entries = ReadPortMap(FFolder);
        for (const auto &entry : entries)
            if (Wanted(entry.Name) && IsPortAddress(entry.Device))
                addresses[entry.Name] = entry.Device;
        FLines->Follow(addresses);
        for (const auto &entry : entries) {
            if (!Wanted(entry.Name))
                continue;
            Follow(entry.Name);
            if (entry.Device.empty() || (addresses.count(entry.Name) && !FLines->Present(entry.Name)))
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
    int FEvents = -1;
    int FLineChange[2] = {-1, -1};
    std::unique_ptr<TLinePoller> FLines;
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
