// SPDX-License-Identifier: MIT
#pragma once
// A private XDG_CONFIG_HOME for one test, so the port map it uses is its own.

#include "ScratchFolder.h"

#include <cstdlib>
#include <string>

namespace morlith::test {

// Sets XDG_CONFIG_HOME to a fresh directory below a fresh temporary one; removes both on exit.
class TTempConfigHome {
public:
    TTempConfigHome() : FRoot("morlith-module-tool-") { setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1); }
    ~TTempConfigHome() { unsetenv("XDG_CONFIG_HOME"); }

    // The temporary directory, for files of the test's own.
    const std::string &Root() const { return FRoot.Path(); }

    // The XDG_CONFIG_HOME directory (not created: code under test creates what it needs).
    std::string ConfigHome() const { return FRoot.File("config"); }

private:
    TScratchFolder FRoot;
};

} // namespace morlith::test
