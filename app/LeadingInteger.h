// SPDX-License-Identifier: MIT
// LeadingInteger: the number at the start of a text, as the spin fields read it.
#pragma once

#include <cstdint>
#include <string_view>

namespace kameola {

// Reads an optionally signed decimal number, or a hexadecimal one after "$", "x", "X",
// "0x" or "0X", after leading blanks. Reading stops at the first byte that is not a digit,
// or before a digit once the value is too large to take one more; the sign counts only
// when the whole text was read. Worked in wrapping 32-bit arithmetic; 0 without digits.
std::int32_t LeadingInteger(std::string_view text);

// The low 16 bits of a value read as a signed 16-bit number.
std::int16_t LowWord(std::int32_t value);

} // namespace kameola
