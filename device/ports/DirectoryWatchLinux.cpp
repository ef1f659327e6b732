// SPDX-License-Identifier: MIT
#include "DirectoryWatch.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace morlith {
namespace {

constexpr uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                   IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

TDirectoryWatch::TDirectoryWatch()
{
    FDescriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FDescriptor < 0)
        FError = std::string("cannot watch folders: ") + std::strerror(errno);
}

TDirectoryWatch::~TDirectoryWatch()
{
    if (FDescriptor >= 0)
        ::close(FDescriptor);
}

std::string TDirectoryWatch::Watch(const std::string &folder)
{
    namespace fs = std::filesystem;
    if (FDescriptor < 0)
        return "";
    fs::path path = fs::path(folder).lexically_normal();
    for (;;) {
        const int watch = ::inotify_add_watch(FDescriptor, path.c_str(), kFolderEvents);
        if (watch >= 0) {
            FFolders[watch] = path.string();
            return path.string();
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return "";
        if (!path.has_relative_path())
            return "";
        path = path.parent_path();
    }
}

std::vector<TDirectoryEvent> TDirectoryWatch::Drain()
{
    std::vector<TDirectoryEvent> events;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(FDescriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return events;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const auto folder = FFolders.find(event->wd);
            if (folder == FFolders.end())
                continue;
            TDirectoryEvent item;
            item.Folder = folder->second;
            item.Name = event->len > 0 ? event->name : "";
            item.Removed = (event->mask & (IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF)) != 0;
            // The folder itself went: its watch is gone, and a later Watch makes a new one.
            if (event->mask & IN_IGNORED)
                FFolders.erase(folder);
            events.push_back(item);
        }
    }
}

} // namespace morlith
