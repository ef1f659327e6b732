// SPDX-License-Identifier: MIT
#include "PortWatcher.h"

#include <algorithm>
#include <cctype>
#include <fnmatch.h>

namespace morlith {
namespace {

constexpr const char *kByIdFolder = "/dev/serial/by-id/";

bool IsHexId(const std::string &text)
{
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = char(std::tolower(uint8_t(c)));
    return text;
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TDeviceMatch ParseDeviceMatch(const std::string &text, std::string &error)
{
    TDeviceMatch match;
    error.clear();
    // "xxxx:yyyy" is a pair of USB ids; anything else is a name pattern.
    const size_t colon = text.find(':');
    if (colon == 4 && text.find('/') == std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        const std::string vendor = text.substr(0, colon);
        const std::string product = text.substr(colon + 1);
        if (!IsHexId(vendor) || !(IsHexId(product) || product == "*")) {
            error = "--match " + text + ": give VID:PID as four hexadecimal digits each (0403:6001, 0403:*)";
            return match;
        }
        match.VendorId = Lower(vendor);
        match.ProductId = Lower(product);
        return match;
    }
    if (text.empty() || (text.find('/') != std::string::npos && text.rfind(kByIdFolder, 0) != 0)) {
        error = "--match " + text + ": give VID:PID or a name pattern of /dev/serial/by-id";
        return match;
    }
    match.ByIdPattern = text;
    return match;
}

bool TDeviceMatch::Matches(const std::string &vendorId, const std::string &productId,
                           const std::vector<std::string> &byIdLinks) const
{
    if (!VendorId.empty())
        return Lower(vendorId) == VendorId && (ProductId == "*" || Lower(productId) == ProductId);
    const bool wholePath = ByIdPattern.find('/') != std::string::npos;
    for (const std::string &link : byIdLinks) {
        const std::string subject = wholePath ? link : BaseName(link);
        if (::fnmatch(ByIdPattern.c_str(), subject.c_str(), 0) == 0)
            return true;
    }
    return false;
}

} // namespace morlith
