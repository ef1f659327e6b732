// SPDX-License-Identifier: MIT
#pragma once
// Whether a stream is a terminal, how large, and how it carries bytes.

#include <cstdio>

namespace morlith::cli {

// The number of columns of the terminal `stream` writes to; 0 when it is not a terminal or the
// terminal does not say.
unsigned TerminalColumns(std::FILE *stream);

// The number of rows of the terminal `stream` writes to; 0 as for TerminalColumns.
unsigned TerminalRows(std::FILE *stream);

// True when `stream` is a terminal.
bool IsTerminal(std::FILE *stream);

// Makes `stream` carry bytes as they are (Windows otherwise turns line ends into CR LF).
void UseBinaryMode(std::FILE *stream);

} // namespace morlith::cli
