// SPDX-License-Identifier: MIT
#include "TerminalText.h"

#include "Utf8Text.h"

#include <cstdio>

namespace morlith {
namespace {

bool ReordersText(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

std::string Escape(const char *format, unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string TerminalSafe(const std::string &text)
{
    std::string shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0 || (byte < 0x20 && byte != '\t')) {
            shown += Escape("\\x%02X", byte);
            ++at;
            continue;
        }
        const char32_t c = Utf8CodePoint(text, at, length);
        if ((c >= 0x7F && c <= 0x9F) || ReordersText(c))
            shown += Escape("\\u%04X", unsigned(c));
        else
            shown.append(text, at, length);
        at += length;
    }
    return shown;
}

std::string TerminalSafeLines(const std::string &text)
{
    std::string shown;
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        shown += TerminalSafe(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return shown;
        shown += '\n';
        start = end + 1;
    }
}

} // namespace morlith
