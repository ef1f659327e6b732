// SPDX-License-Identifier: MIT
#pragma once
// Virtual modules linked into a private port map as COM<n>, for engine tests.

#include "ModuleServer.h"
#include "ScratchFolder.h"

#include <map>
#include <memory>
#include <string>

// Gives the test its own XDG_CONFIG_HOME (port map), XDG_STATE_HOME (operations log) and working
// folder, removed at the end.
class PrivatePortMap {
public:
    PrivatePortMap();
    ~PrivatePortMap();
    // Serves a virtual module as COM<number>; returns it for inspection.
    morlith::TModuleServer &Serve(int number, morlith::TModuleServerOptions options = {});
    // Removes the entry COM<number> and stops its module, as when a module is unplugged.
    void Unlink(int number);
    // Links COM<number> to `target` (a device that may not exist) instead of a module.
    void Link(int number, const std::string &target);
    // A path inside the test's own folder.
    std::string File(const std::string &name) const { return FFolder.File(name); }

private:
    morlith::test::TScratchFolder FFolder;
    std::map<int, std::unique_ptr<morlith::TModuleServer>> FServers;
};

// Every frame the module received, one line each, for failure messages.
std::string Trace(const morlith::TModuleServer &server);

// The command letters of the frames a module received, in order ("CIC").
std::string Commands(const morlith::TModuleServer &server);
