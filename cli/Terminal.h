// SPDX-License-Identifier: MIT
// Text on a terminal: names that cannot drive it, measured in display columns.
#pragma once

#include <string>
#include <string_view>

namespace kameola {

// The text with every control character (C0, DEL, C1) and every byte that is not part
// of valid UTF-8 shown as "?".
std::string HarmlessText(std::string_view text);

// Columns the text takes on a terminal: wide (East Asian) characters two, combining
// marks none, any other character one. Meant for text that HarmlessText has passed.
int DisplayWidth(std::string_view text);

// The text shortened in the middle, with "..." for what is left out, so that it takes
// at most columns columns; whole characters only.
std::string ShortenMiddle(std::string_view text, int columns);

// The width of the terminal on fd: its window size, else the COLUMNS variable, else 80.
int TerminalColumns(int fd);

// Starts noting the terminal's resizes (SIGWINCH); TerminalResized then tells, once, that
// the terminal was resized since it last answered.
void WatchTerminalSize();
bool TerminalResized();

} // namespace kameola
