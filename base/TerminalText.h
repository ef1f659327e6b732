// SPDX-License-Identifier: MIT
#pragma once
// Text a terminal shows as it stands: a file name, a module's text or a recipe value can hold
// bytes that a terminal takes for commands (ESC starts a sequence that moves the cursor, retitles
// the window or rewrites what was printed) or that reorder what follows (bidirectional overrides).

#include <string>

namespace morlith {

// `text` with every byte or character a terminal would act on written out: C0 controls other than
// tab (line ends too, so that a name cannot fake a line of its own) as \xNN; DEL, C1 controls
// (U+0080..U+009F) and the bidirectional embeddings, overrides and isolates (U+202A..U+202E,
// U+2066..U+2069) as \uNNNN; bytes that are not UTF-8 as \xNN. Everything else, backslashes
// included, is kept: text that needs no escape comes back as it was, and escaping twice changes
// nothing more. A JSON line stays the same JSON: it holds no raw C0 control nor bytes that are
// not UTF-8, and the \uNNNN escapes are JSON's own.
std::string TerminalSafe(const std::string &text);
// The lines of `text` (separated by line feeds, which stay), each made TerminalSafe.
std::string TerminalSafeLines(const std::string &text);

} // namespace morlith
