// SPDX-License-Identifier: MIT
#pragma once
// Notice of names made, removed, renamed or changed in folders, through one descriptor that
// becomes readable when something happened. Linux only (inotify).

#include <map>
#include <string>
#include <vector>

namespace morlith {

// Something happened to `Name` in `Folder`.
struct TDirectoryEvent {
    std::string Folder;
    std::string Name;
    // The name went away (removed or renamed away); otherwise it came or changed.
    bool Removed = false;
};

class TDirectoryWatch {
public:
    TDirectoryWatch();
    ~TDirectoryWatch();
    TDirectoryWatch(const TDirectoryWatch &) = delete;
    TDirectoryWatch &operator=(const TDirectoryWatch &) = delete;

    // "" when the watch could be made; otherwise why not.
    const std::string &Error() const { return FError; }
    // Readable when events are waiting.
    int Fd() const { return FDescriptor; }
    // Watches `folder`, or when it does not exist the nearest folder above it that does (so that
    // its making is noticed); returns the folder watched, "" when none could be.
    std::string Watch(const std::string &folder);
    // The events waiting, in order; never blocks.
    std::vector<TDirectoryEvent> Drain();

private:
    int FDescriptor = -1;
    std::string FError;
    std::map<int, std::string> FFolders;
};

} // namespace morlith
