// SPDX-License-Identifier: MIT
#pragma once
// The fixture of the end-to-end tests: a private port map and working folder, virtual modules
// served in it, and files for the tool to work on.

#include "CliProcess.h"
#include "JsonFields.h"
#include "ModuleOnPort.h"
#include "PollUntil.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace morlith::test {

class CliTest : public ::testing::Test {
protected:
    // Runs morlith-cli in the test's folder.
    TCliRun Cli(const std::vector<std::string> &arguments) { return RunCli(arguments, Folder()); }
    // The test's own folder (the tool's current directory).
    std::string Folder() const { return Ports.File(""); }
    // A path in the test's folder.
    std::string File(const std::string &name) const { return Ports.File(name); }
    // Writes `bytes` to a file of the test's folder; returns its path.
    std::string WriteBytes(const std::string &name, const std::vector<uint8_t> &bytes) const;
    // Builds a package of `plain` with the engine's package code; returns its path.
    std::string WritePackage(const std::string &name, const std::vector<uint8_t> &plain, uint16_t word3 = 0) const;
    // A recipe of lot "L-17" and its inputs: main.xml (120 bytes, a 64-byte data segment) to
    // controllers 0 and 3, settings.bin (40 bytes) with the serial from serials.counter (1041
    // next) at offset 8, verified, then the data segment read into readout-{serial}.bin.
    void WriteSerialRecipe(const std::string &name) const;
    // The names in the test's folder, hidden ones included.
    std::set<std::string> FolderEntries() const { return NamesIn(Folder()); }
    // Serves on COM<port> a module whose data segment holds `bytes` bytes of Pattern(bytes, seed).
    TModuleServer &ServeSegment(int port, size_t bytes, unsigned seed);
    // The program memory of controller `index` of a module.
    static std::vector<uint8_t> ProgramMemory(TModuleServer &server, int index = 0);

    PrivatePortMap Ports;
};

// `size` bytes of a pattern that changes with `seed`.
std::vector<uint8_t> Pattern(size_t size, unsigned seed);
// The number of times `part` stands in `text`.
size_t CountOf(const std::string &text, const std::string &part);
// JSON Lines with the "schema" and "time" fields every event carries taken out, so that a test can
// compare the rest of an event as text.
std::string Unstamped(const std::string &jsonLines);
// The result event of a --json run (its last JSON line).
inline nlohmann::json ResultOf(const TCliRun &run) { return LastJsonOf(run.Out); }

} // namespace morlith::test
