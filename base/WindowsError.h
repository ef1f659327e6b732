// SPDX-License-Identifier: MIT
#pragma once
// Win32 error codes in the terms the rest of the code uses: the errno value that stands for one
// (for file errors, which travel as std::system_error with errno) and the system's own text.

#include <cstdint>
#include <string>

namespace morlith {

// The errno value for a Win32 error code (ERROR_FILE_NOT_FOUND: ENOENT, ...); EIO when none fits.
int ErrnoOfWindowsError(uint32_t code);

// The system's text for a Win32 error code, without the trailing line break.
std::string WindowsErrorText(uint32_t code);

} // namespace morlith
