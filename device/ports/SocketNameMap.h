// SPDX-License-Identifier: MIT
#pragma once
// Short socket names for USB locations: a small text file, one socket a line,
//     pci-0000:00:14.0-usb-0:3:1.0 = left
// (the location as --socket-names id-path shows it, "=", the name to show instead); blank lines
// and lines starting with "#" are skipped.

#include <map>
#include <optional>
#include <string>

namespace morlith {

using TSocketNameMap = std::map<std::string, std::string>;

// The map that `text` holds; nothing with `error` naming the first bad line ("line 3: ...").
std::optional<TSocketNameMap> ParseSocketNameMap(const std::string &text, std::string &error);

// The map in the file at `path`: empty when there is no such file; nothing with `error` when it
// cannot be read or holds a bad line.
std::optional<TSocketNameMap> ReadSocketNameMap(const std::string &path, std::string &error);

} // namespace morlith
