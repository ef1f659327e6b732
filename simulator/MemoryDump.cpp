// SPDX-License-Identifier: MIT
#include "MemoryDump.h"

#include "VirtualModule.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace morlith {
namespace {

// Bytes shown on one hex line.
constexpr size_t kBytesPerLine = 16;

void AppendHexLines(std::string &text, const std::vector<uint8_t> &bytes)
{
    char cell[32];
    for (size_t offset = 0; offset < bytes.size(); offset += kBytesPerLine) {
        std::snprintf(cell, sizeof cell, "%06zX:", offset);
        text += cell;
        for (size_t i = offset; i < bytes.size() && i < offset + kBytesPerLine; ++i) {
            std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
            text += cell;
        }
        text += '\n';
    }
}

void AppendController(std::string &text, const TVirtualModule &module, int index)
{
    const TController &controller = module.Controller(index);
    char line[96];
    std::snprintf(line, sizeof line, "controller %d%s\n", index,
                  index == module.SelectedIndex() ? " selected" : "");
    text += line;
    const auto &words = controller.parameterBlock;
    std::snprintf(line, sizeof line, "parameter-block %04X %04X %04X %04X\n", words[0], words[1],
                  words[2], words[3]);
    text += line;
    std::snprintf(line, sizeof line, "program-memory %zu bytes\n", controller.programMemory.size());
    text += line;
    AppendHexLines(text, controller.programMemory);
    std::snprintf(line, sizeof line, "data-segment %zu bytes\n", controller.dataSegment.size());
    text += line;
    AppendHexLines(text, controller.dataSegment);
}

} // namespace

std::string FormatMemoryDump(const TVirtualModule &module)
{
    std::string text = "# morlith virtual module memory dump\n";
    for (int index = 0; index < kControllerCount; ++index) {
        if (index > 0)
            text += '\n';
        AppendController(text, module, index);
    }
    return text;
}

void WriteMemoryDump(const TVirtualModule &module, const std::string &path)
{
    const std::string text = FormatMemoryDump(module);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::system_error(errno, std::generic_category(), "cannot create " + path);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written)
        throw std::system_error(written ? errno : writeError, std::generic_category(),
                                "cannot write " + path);
}

} // namespace morlith
