// SPDX-License-Identifier: MIT
#pragma once
// Where a window program's --help and --version go. On Windows morlith.exe is a window program
// and gets no console of its own: started from a command prompt, its text goes to that prompt's
// console; redirected output is used as it stands.

namespace morlith {

// Binds standard output and error to the parent's console when they lead nowhere (Windows);
// nothing on Linux.
void UseParentConsole();

} // namespace morlith
