// SPDX-License-Identifier: MIT
// Filling a message template with its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// The template with each "%s" or "%d" replaced by the next argument, "%N$s" (or "%N$d") by
// the Nth, and "%%" by "%". The arguments are already text; a placeholder with no argument
// is left out, and any other "%" stays as it is.
std::string FormatMessage(std::string_view text, const std::vector<std::string>& args);

} // namespace kameola
