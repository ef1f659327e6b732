// SPDX-License-Identifier: MIT
#include "Console.h"

#include "TerminalSize.h"
#include "TerminalText.h"

#include <cstdlib>

namespace morlith::cli {

TConsole::TConsole(std::FILE *out, std::FILE *err, bool errIsTerminal)
    : FOut(out), FErr(err), FErrIsTerminal(errIsTerminal)
{
}

void TConsole::EndOpenLine()
{
    if (FErrLineOpen) {
        std::fputc('\n', FErr);
        FErrLineOpen = false;
    }
}

void TConsole::Out(const std::string &line)
{
    std::lock_guard<std::mutex> lock(FLock);
    EndOpenLine();
    if (FOutClosed || !WriteText(FOut, TerminalSafeLines(line) + "\n") || std::fflush(FOut) != 0 || std::ferror(FOut))
        FOutFailed = true;
}

bool TConsole::OutBytes(const std::vector<uint8_t> &bytes)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (FOutClosed || std::fwrite(bytes.data(), 1, bytes.size(), FOut) != bytes.size() || std::fflush(FOut) != 0) {
        FOutFailed = true;
        return false;
    }
    return true;
}

unsigned TConsole::ErrColumns() const
{
    const unsigned columns = FErrIsTerminal ? TerminalColumns(FErr) : 0;
    return columns > 0 ? columns : kDefaultColumns;
}

bool ColourWanted()
{
    const char *noColour = std::getenv("NO_COLOR");
    const char *term = std::getenv("TERM");
    return (noColour == nullptr || *noColour == '\0') && (term == nullptr || std::string(term) != "dumb");
}

bool TConsole::OutIsTerminal() const { return IsTerminal(FOut); }

unsigned TConsole::OutColumns() const { return TerminalColumns(FOut); }

unsigned TConsole::OutRows() const { return TerminalRows(FOut); }

void TConsole::OutDrawing(const std::string &text)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (FOutClosed || !WriteText(FOut, text) || std::fflush(FOut) != 0)
        FOutFailed = true;
}

void TConsole::Err(const std::string &line)
{
    std::lock_guard<std::mutex> lock(FLock);
    EndOpenLine();
    (void)WriteText(FErr, TerminalSafeLines(line) + "\n");
    std::fflush(FErr);
}

void TConsole::ErrInPlace(const std::string &text, bool finish)
{
    std::lock_guard<std::mutex> lock(FLock);
    // "\r" returns to the line's start, "\033[K" clears what a longer earlier text left.
    (void)WriteText(FErr, "\r" + TerminalSafeLines(text) + "\033[K");
    FErrLineOpen = !finish;
    if (finish)
        std::fputc('\n', FErr);
    std::fflush(FErr);
}

} // namespace morlith::cli
