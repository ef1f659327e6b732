// SPDX-License-Identifier: MIT
// Port changes on Linux: inotify on every folder on the way from a port's name to its device, so
// that the making of any of them (the map entry, a by-id link, the device node) wakes the wait.

#include "DirectoryWatch.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "PortWait.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace morlith {
namespace {

// Some device file systems announce no new nodes: the ports are looked at again this often anyway.
constexpr int kRecheckMs = 1000;

} // namespace

struct TPortChanges::TImpl {
    TDirectoryWatch Watch;
};

bool PortPresent(const TPortChoice &port)
{
    struct stat info {};
    return ::stat(ResolvePortName(port.Label).c_str(), &info) == 0;
}

TPortChanges::TPortChanges() : FImpl(std::make_unique<TImpl>()) {}

TPortChanges::~TPortChanges() = default;

void TPortChanges::Follow(const TPortChoice &port)
{
    if (port.ComNumber > 0)
        FImpl->Watch.Watch(PortMapDirectory());
    const std::string path = ResolvePortName(port.Label);
    if (IsPortAddress(path))
        return; // a device server's line: nothing in the file system to watch
    FImpl->Watch.Watch(fs::path(path).parent_path().string());
    for (const std::string &hop : LinkHops(path))
        FImpl->Watch.Watch(fs::path(hop).parent_path().string());
}

bool TPortChanges::Wait(int milliseconds, const TStoppableWait &wait)
{
    const std::vector<int> fds = FImpl->Watch.Error().empty() ? std::vector<int>{FImpl->Watch.Fd()} : std::vector<int>{};
    if (!wait(fds, std::min(milliseconds, kRecheckMs)))
        return false;
    (void)FImpl->Watch.Drain();
    return true;
}

} // namespace morlith
