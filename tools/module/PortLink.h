// SPDX-License-Identifier: MIT
#pragma once
// An entry COM<n> of the port map directory that links to a device for as long as it lives.

#include <string>

namespace morlith {

// A symbolic link COM<n> in the port map directory, removed again on destruction.
class TPortLink {
public:
    // Links COM<comNumber> to `target`, creating the directory if missing. An existing symbolic
    // link of that name is replaced; anything else there is left alone and std::runtime_error is
    // thrown with a message for the user.
    TPortLink(unsigned comNumber, const std::string &target);
    // Removes the link, unless someone has since pointed it elsewhere.
    ~TPortLink();
    TPortLink(const TPortLink &) = delete;
    TPortLink &operator=(const TPortLink &) = delete;

    // The port name, such as "COM3".
    const std::string &PortName() const { return FPortName; }

    // The link's path in the port map directory.
    const std::string &Path() const { return FPath; }

private:
    std::string FPortName;
    std::string FPath;
    std::string FTarget;
};

} // namespace morlith
