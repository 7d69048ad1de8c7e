// SPDX-License-Identifier: MIT
// Colours as the style dialog and the page hold them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kameola {

// A 24-bit colour held as 0x00BBGGRR (red in the lowest byte).
using Color = std::uint32_t;

constexpr Color MakeColor(int red, int green, int blue)
{
    return static_cast<Color>(red & 0xFF) | (static_cast<Color>(green & 0xFF) << 8) |
           (static_cast<Color>(blue & 0xFF) << 16);
}
constexpr int RedOf(Color color) { return static_cast<int>(color & 0xFF); }
constexpr int GreenOf(Color color) { return static_cast<int>((color >> 8) & 0xFF); }
constexpr int BlueOf(Color color) { return static_cast<int>((color >> 16) & 0xFF); }

// Six lowercase hex digits, red, green, blue, as the page writes a colour.
std::string ColorToHex(Color color);

// Six hex digits, red, green, blue (either case); nothing for any other text.
std::optional<Color> ParseHexColor(std::string_view rrggbb);

} // namespace kameola
