// SPDX-License-Identifier: MIT
// The usage lines and --help of kameola-cli, made from the option table.
#pragma once

#include <string>

namespace kameola {

// The short usage lines.
std::string UsageText();

// The line that follows a usage error.
extern const char* const TryHelpText;

// What --help prints: the usage lines, then every option with a sentence and its default.
std::string HelpText();

} // namespace kameola
