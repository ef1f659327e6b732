#pragma once
// The text of --help.

#include <string>

namespace morlith::cli {

// Usage, commands, options, exit statuses and examples.
const std::string &HelpText();

} // namespace morlith::cli
