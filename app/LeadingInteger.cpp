// SPDX-License-Identifier: MIT
// LeadingInteger: the number at the start of a text, as the spin fields read it.
#include "app/LeadingInteger.h"

namespace kameola {

namespace {

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    const std::uint32_t limit = hex ? 0x0FFFFFFFu : 214748364u;
    const std::uint32_t base = hex ? 16u : 10u;
    std::uint32_t value = 0;
    bool stopped = false;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0 || value > limit) {
            stopped = true;
            break;
        }
        value = value * base + static_cast<std::uint32_t>(digit);
    }

    if (negative && !stopped)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::int16_t LowWord(std::int32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu));
}

} // namespace kameola
