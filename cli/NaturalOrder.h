// SPDX-License-Identifier: MIT
// File names in version order, as `ls -v` sorts them: runs of digits compare as numbers.
#pragma once

#include <string_view>

namespace kameola {

// Negative, zero or positive as a sorts before, with or after b. Bytes compare by value,
// except that ASCII letters come before other bytes and "~" before anything, even the end;
// runs of ASCII digits compare as numbers. "", ".", ".." and other names beginning with
// "." come first, in that order. Suffixes such as ".tar.gz" are set aside for a first
// comparison and count only when the rest is equal (a hidden name's suffix may be the
// whole name). Zero for names that differ only in leading zeros.
int FileVersionCompare(std::string_view a, std::string_view b);

// Version order with byte order settling ties: the order `ls -v` lists names in.
bool NaturalLess(std::string_view a, std::string_view b);

} // namespace kameola
