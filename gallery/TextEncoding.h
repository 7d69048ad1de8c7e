// Conversion of the program's UTF-8 text into the Shift_JIS code page of the page file.
#pragma once

#include <string>
#include <string_view>

namespace kameola {

// UTF-8 to Windows code page 932. A character goes in as CP932 bytes only when those bytes
// read back as the same character; every other one is written as "&#N;" (its decimal code
// point). A byte that is not valid UTF-8 becomes "&#65533;".
std::string ToShiftJis(std::string_view utf8);

} // namespace kameola
