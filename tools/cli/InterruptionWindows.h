// SPDX-License-Identifier: MIT
#pragma once
// The console's event handler on Windows, open to tests.

namespace morlith::cli {

// How long the end of a session (console closed, logoff, shutdown) is held for the tool to finish:
// a little under the five seconds Windows waits before it ends the process itself.
constexpr unsigned long kSessionEndGraceMs = 4500;

// Handles a console event: Ctrl-C and Ctrl-Break ask for a stop (a second one ends the tool);
// closing the console, logoff and shutdown ask for a stop and return only once the tool noted
// that its work is finished, or after kSessionEndGraceMs. Nonzero when the event was handled.
int OnConsoleEvent(unsigned long event);

} // namespace morlith::cli
