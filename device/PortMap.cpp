// SPDX-License-Identifier: MIT
#include "PortMap.h"

#include "PathText.h"
#include "PortAddress.h"

#include <filesystem>

#include <cctype>

namespace morlith {
namespace {

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

std::optional<unsigned> ComPortNumber(const std::string &name)
{
    std::string rest = name;
    if (rest.rfind("\\\\.\\", 0) == 0)
        rest = rest.substr(4);
    if (!StartsWithNoCase(rest, "COM") || rest.size() == 3 || rest.size() > 3 + 9)
        return std::nullopt;
    unsigned long n = 0;
    for (size_t i = 3; i < rest.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i])))
            return std::nullopt;
        n = n * 10 + unsigned(rest[i] - '0');
    }
    if (n == 0)
        return std::nullopt;
    return static_cast<unsigned>(n);
}

std::vector<std::string> LinkHops(const std::string &path)
{
    namespace fs = std::filesystem;
    std::vector<std::string> hops;
    std::error_code error;
    fs::path target = PathFromUtf8(path);
    // A few hops at most; a loop of links ends here too.
    for (int hop = 0; hop < 8 && fs::is_symlink(fs::symlink_status(target, error)); ++hop) {
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            break;
        if (IsPortAddress(Utf8OfPath(next))) {
            hops.push_back(Utf8OfPath(next));
            break;
        }
        target = (next.is_absolute() ? next : target.parent_path() / next).lexically_normal();
        hops.push_back(Utf8OfPath(target));
    }
    return hops;
}

std::optional<std::string> AddressBehind(const std::string &path)
{
    const std::vector<std::string> hops = LinkHops(path);
    if (!hops.empty() && IsPortAddress(hops.back()))
        return hops.back();
    return std::nullopt;
}

std::string LinkTarget(const std::string &path)
{
    // A Win32 device name ("\\.\COM5") is no file path: normalising it would drop its prefix;
    // an address is no path either.
    if (path.rfind("\\\\.\\", 0) == 0 || IsPortAddress(path))
        return path;
    const std::vector<std::string> hops = LinkHops(path);
    return hops.empty() ? Utf8OfPath(PathFromUtf8(path).lexically_normal()) : hops.back();
}

} // namespace morlith
