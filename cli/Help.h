// SPDX-License-Identifier: MIT
// The usage lines, --help and --version of kameola-cli, in the user's language and codeset.
#pragma once

#include <string>

namespace kameola {

// The short usage lines.
std::string UsageText();

// The line that follows a usage error.
std::string TryHelpText();

// What --help prints: the usage lines, then every option with a sentence and its default.
std::string HelpText();

// What --version prints: the program and its version, the copyright and the licence.
std::string VersionText(const std::string& version);

} // namespace kameola
