// SPDX-License-Identifier: MIT
// Where a user's settings and records go: the XDG base directories on Linux, the user's local
// application data on Windows, with the fall-backs for a variable that is missing or not a path.

#include "UserPlaces.h"

#include "EnvironmentVariable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace morlith;
using morlith::test::SetEnvironmentVariable;
using morlith::test::UnsetEnvironmentVariable;

namespace {

struct TPlaceCase {
    const char *Name;
    std::map<std::string, std::string> Environment;
    std::string Settings; // UserSettingsFile("morlith.conf")
    std::string State;    // UserStateFile("operations.jsonl")
};

#ifdef _WIN32
const char *const kVariables[] = {"LOCALAPPDATA", "USERPROFILE"};
const std::vector<TPlaceCase> kCases = {
    {"local application data",
     {{"LOCALAPPDATA", "C:\\Users\\op\\AppData\\Local"}},
     "C:\\Users\\op\\AppData\\Local\\Morlith\\morlith.conf",
     "C:\\Users\\op\\AppData\\Local\\Morlith\\operations.jsonl"},
    {"trailing separator",
     {{"LOCALAPPDATA", "D:\\Profiles\\op\\"}},
     "D:\\Profiles\\op\\Morlith\\morlith.conf",
     "D:\\Profiles\\op\\Morlith\\operations.jsonl"},
    {"relative value falls back to the profile",
     {{"LOCALAPPDATA", "Local"}, {"USERPROFILE", "C:\\Users\\op"}},
     "C:\\Users\\op\\AppData\\Local\\Morlith\\morlith.conf",
     "C:\\Users\\op\\AppData\\Local\\Morlith\\operations.jsonl"},
    {"network profile",
     {{"LOCALAPPDATA", "\\\\server\\profiles\\op"}},
     "\\\\server\\profiles\\op\\Morlith\\morlith.conf",
     "\\\\server\\profiles\\op\\Morlith\\operations.jsonl"},
};
#else
const char *const kVariables[] = {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "HOME"};
const std::vector<TPlaceCase> kCases = {
    {"base directories",
     {{"XDG_CONFIG_HOME", "/cfg"}, {"XDG_STATE_HOME", "/state"}, {"HOME", "/home/op"}},
     "/cfg/morlith/morlith.conf",
     "/state/morlith/operations.jsonl"},
    {"defaults below the home folder",
     {{"HOME", "/home/op"}},
     "/home/op/.config/morlith/morlith.conf",
     "/home/op/.local/state/morlith/operations.jsonl"},
    {"relative values are no base directories",
     {{"XDG_CONFIG_HOME", "cfg"}, {"XDG_STATE_HOME", "state"}, {"HOME", "/home/op"}},
     "/home/op/.config/morlith/morlith.conf",
     "/home/op/.local/state/morlith/operations.jsonl"},
};
#endif

class UserPlacesTest : public ::testing::Test {
protected:
    UserPlacesTest()
    {
        for (const char *name : kVariables) {
            const char *value = std::getenv(name);
            FSaved[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    ~UserPlacesTest() override
    {
        for (const auto &[name, value] : FSaved) {
            if (value)
                SetEnvironmentVariable(name, *value);
            else
                UnsetEnvironmentVariable(name);
        }
    }

private:
    std::map<std::string, std::optional<std::string>> FSaved;
};

TEST_F(UserPlacesTest, SettingsAndRecordsFollowTheEnvironment)
{
    for (const TPlaceCase &row : kCases) {
        for (const char *name : kVariables)
            UnsetEnvironmentVariable(name);
        for (const auto &[name, value] : row.Environment)
            SetEnvironmentVariable(name, value);
        EXPECT_EQ(UserSettingsFile("morlith.conf"), row.Settings) << row.Name;
        EXPECT_EQ(UserStateFile("operations.jsonl"), row.State) << row.Name;
    }
}

} // namespace
