// SPDX-License-Identifier: MIT
#pragma once
// The text of --help.

#include <string>

namespace morlith::cli {

enum class THelpPlatform { Linux, Windows };

// Usage, commands, options, exit statuses and examples, in the terms of `platform`: signals,
// station mode and device paths on Linux; Ctrl-C, the console window and COM ports on Windows.
std::string HelpTextFor(THelpPlatform platform);

// The platform the tool runs on (one implementation per platform).
THelpPlatform NativeHelpPlatform();

// The text for the platform the tool runs on.
std::string HelpText();

} // namespace morlith::cli
