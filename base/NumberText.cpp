// SPDX-License-Identifier: MIT
#include "NumberText.h"

#include <cctype>
#include <cstdio>

namespace morlith {
namespace {
constexpr double kSecondsPerMinute = 60.0;
constexpr double kBytesPerKilobyte = 1000.0;

std::optional<uint64_t> ParseDigits(const std::string &digits, unsigned base)
{
    if (digits.empty() || digits.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        const unsigned char u = static_cast<unsigned char>(c);
        unsigned digit;
        if (std::isdigit(u))
            digit = unsigned(u - '0');
        else if (base == 16 && std::isxdigit(u))
            digit = unsigned(std::tolower(u) - 'a' + 10);
        else
            return std::nullopt;
        if (value > (UINT64_MAX - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}
} // namespace

std::optional<uint64_t> ParseWholeNumber(const std::string &text, uint64_t min, uint64_t max,
                                         bool allowHex)
{
    const bool hex = allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto value = hex ? ParseDigits(text.substr(2), 16) : ParseDigits(text, 10);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return value;
}

std::string GroupThousands(uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(size_t(i), ",");
    return digits;
}

std::string CountOfBytes(uint64_t bytes)
{
    return GroupThousands(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string FormatSeconds(double seconds)
{
    char text[48];
    if (seconds < kSecondsPerMinute) {
        std::snprintf(text, sizeof text, "%.1f s", seconds < 0 ? 0.0 : seconds);
    } else {
        const auto whole = static_cast<unsigned long>(seconds + 0.5);
        std::snprintf(text, sizeof text, "%lu min %02lu s", whole / 60, whole % 60);
    }
    return text;
}

std::string FormatRate(double bytesPerSecond)
{
    char text[48];
    if (bytesPerSecond >= kBytesPerKilobyte)
        std::snprintf(text, sizeof text, "%.1f kB/s", bytesPerSecond / kBytesPerKilobyte);
    else
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond < 0 ? 0.0 : bytesPerSecond);
    return text;
}

std::string Hex16(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(value));
    return text;
}

std::string Hex8(uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(value));
    return text;
}

std::string PadRight(std::string text, size_t width)
{
    const size_t shown = DisplayWidth(text);
    if (shown < width)
        text.append(width - shown, ' ');
    return text;
}

} // namespace morlith
