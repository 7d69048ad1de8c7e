// SPDX-License-Identifier: MIT
// Conversion of the program's UTF-8 text into the Shift_JIS code page of the page file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kameola {

// UTF-8 to Windows code page 932. A character goes in as CP932 bytes only when those bytes
// read back as the same character; every other one is written as "&#N;" (its decimal code
// point). A byte that is not valid UTF-8 becomes "&#65533;".
std::string ToShiftJis(std::string_view utf8);

// The length of the valid UTF-8 sequence that starts at text[i], with its code point in
// codePoint; 0 when the byte there does not start one (overlong forms, surrogates and code
// points past U+10FFFF are not).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint);

// The length of the valid UTF-8 sequence that starts at text[i]; 0 as DecodeUtf8.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

} // namespace kameola
