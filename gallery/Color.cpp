// SPDX-License-Identifier: MIT
// Colours written and read as red, green, blue hex digits.
#include "gallery/Color.h"

#include <charconv>

namespace kameola {

std::string ColorToHex(Color color)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int channel : {RedOf(color), GreenOf(color), BlueOf(color)}) {
        text += digits[channel >> 4];
        text += digits[channel & 0xF];
    }
    return text;
}

std::optional<Color> ParseHexColor(std::string_view rrggbb)
{
    unsigned value = 0;
    const char* end = rrggbb.data() + rrggbb.size();
    auto [stop, ec] = std::from_chars(rrggbb.data(), end, value, 16);
    if (rrggbb.size() != 6 || ec != std::errc() || stop != end)
        return std::nullopt;
    return MakeColor(static_cast<int>(value >> 16), static_cast<int>(value >> 8),
                     static_cast<int>(value));
}

} // namespace kameola
