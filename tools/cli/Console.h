// SPDX-License-Identifier: MIT
#pragma once
// Where the tool writes: standard output for results, standard error for progress, traces and
// errors. Every call writes whole lines under one lock, so ports served by several threads never
// mix their lines.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace morlith::cli {

// The program name that prefixes error lines.
inline constexpr const char *kProgramName = "morlith-cli";
// The terminal width assumed when none can be learnt.
constexpr unsigned kDefaultColumns = 80;

class TConsole {
public:
    // Writes to `out` and `err`; `errIsTerminal` chooses the progress bar over plain lines.
    TConsole(std::FILE *out, std::FILE *err, bool errIsTerminal);
    // A console on the process's standard output and error (one implementation per platform).
    static TConsole &Standard();

    // Writes `line` and a newline to standard output.
    void Out(const std::string &line);
    // Writes raw bytes to standard output (data, not text); false when they could not be written.
    bool OutBytes(const std::vector<uint8_t> &bytes);
    // Writes `line` and a newline to standard error.
    void Err(const std::string &line);
    // Writes "morlith-cli: " and `message` to standard error.
    void Error(const std::string &message) { Err(std::string(kProgramName) + ": " + message); }
    // Rewrites the current line of standard error (a progress bar); `finish` ends the line.
    void ErrInPlace(const std::string &text, bool finish);
    // True when standard error is a terminal.
    bool ErrIsTerminal() const { return FErrIsTerminal; }
    // The width of the terminal standard error shows on, asked anew at each call so that a resized
    // window is followed; kDefaultColumns when it is not a terminal or does not say.
    unsigned ErrColumns() const;
    // True when standard output is a terminal (asked anew: a test console may be on one).
    bool OutIsTerminal() const;
    // The size of the terminal standard output shows on, asked anew at each call; 0 when it is
    // not a terminal or does not say.
    unsigned OutColumns() const;
    unsigned OutRows() const;
    // Writes `text` to standard output as it is: cursor movements and lines of a screen drawn in
    // place.
    void OutDrawing(const std::string &text);
    // True once a line meant for standard output could not be written (a full disk, a closed
    // stream): the run must not end as a success.
    bool OutFailed() const { return FOutFailed; }
    // Standard output was closed when the tool started: whatever goes there is lost.
    void MarkOutClosed() { FOutClosed = true; }

private:
    void EndOpenLine();

    std::mutex FLock;
    std::FILE *FOut;
    std::FILE *FErr;
    bool FErrIsTerminal;
    bool FErrLineOpen = false;
    bool FOutFailed = false;
    bool FOutClosed = false;
};

// True unless NO_COLOR is set to anything or TERM says the terminal is "dumb": whether a
// terminal gets colour.
bool ColourWanted();

// Writes the UTF-8 `text` to `stream` so that it reads right there: as is into a file or a pipe,
// and on a Windows console as the characters it stands for. False when it could not be written.
// One implementation per platform.
bool WriteText(std::FILE *stream, const std::string &text);

} // namespace morlith::cli
