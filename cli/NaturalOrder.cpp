// SPDX-License-Identifier: MIT
// Version order of file names: the algorithm of Debian's version comparison, with the
// rules for hidden names and suffixes that `ls -v` adds.
#include "cli/NaturalOrder.h"

#include <cstddef>

namespace kameola {

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(unsigned char c) { return IsDigit(c) || IsAlpha(c); }

unsigned char At(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// The length of s without its longest suffix of the form (\.[A-Za-z~][A-Za-z0-9~]*)*.
// As `ls -v` does, a hidden name may lose all of it (".a" leaves ""), another name
// keeps at least its first byte.
std::size_t PrefixLength(std::string_view s)
{
    const std::size_t n = s.size();
    std::size_t prefix = 0;
    for (std::size_t i = 0;;) {
        while (i + 1 < n && s[i] == '.' && (IsAlpha(At(s, i + 1)) || s[i + 1] == '~'))
            for (i += 2; i < n && (IsAlnum(At(s, i)) || s[i] == '~'); ++i) {
            }
        if (i >= n)
            return prefix;
        prefix = ++i;
    }
}

// The weight of the byte at pos among non-digits: the end sorts before everything but
// "~", letters before other bytes.
int Weight(std::string_view s, std::size_t pos)
{
    if (pos == s.size())
        return -1;
    const unsigned char c = At(s, pos);
    if (IsDigit(c))
        return 0;
    if (IsAlpha(c))
        return c;
    if (c == '~')
        return -2;
    return c + 256;
}

// Alternating runs of non-digits (by weight) and digits (by number, leading zeros aside).
int VersionCompare(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        while ((i < a.size() && !IsDigit(At(a, i))) || (j < b.size() && !IsDigit(At(b, j)))) {
            const int wa = Weight(a, i);
            const int wb = Weight(b, j);
            if (wa != wb)
                return wa - wb;
            ++i;
            ++j;
        }
        while (i < a.size() && a[i] == '0')
            ++i;
        while (j < b.size() && b[j] == '0')
            ++j;
        int firstDifference = 0;
        for (; i < a.size() && j < b.size() && IsDigit(At(a, i)) && IsDigit(At(b, j)); ++i, ++j)
            if (firstDifference == 0)
                firstDifference = At(a, i) - At(b, j);
        if (i < a.size() && IsDigit(At(a, i)))
            return 1;  // a's number has more digits
        if (j < b.size() && IsDigit(At(b, j)))
            return -1;
        if (firstDifference != 0)
            return firstDifference;
    }
    return 0;
}

// -1, 0 or 1 for names that take their place before others: "", ".", "..", then hidden
// names; 0 also when neither is one of them. *settled tells whether the order is known.
int SpecialOrder(std::string_view a, std::string_view b, bool* settled)
{
    *settled = true;
    if (a.empty() || b.empty())
        return a.empty() ? (b.empty() ? 0 : -1) : 1;
    if (a[0] != '.' || b[0] != '.') {
        *settled = a[0] == '.' || b[0] == '.';
        return a[0] == '.' ? -1 : (b[0] == '.' ? 1 : 0);
    }
    for (std::string_view special : {".", ".."}) {
        if (a == special || b == special)
            return a == special ? (b == special ? 0 : -1) : 1;
    }
    *settled = false;
    return 0;
}

} // namespace

int FileVersionCompare(std::string_view a, std::string_view b)
{
    bool settled = false;
    const int special = SpecialOrder(a, b, &settled);
    if (settled)
        return special;
    const std::size_t aPrefix = PrefixLength(a);
    const std::size_t bPrefix = PrefixLength(b);
    const int result = VersionCompare(a.substr(0, aPrefix), b.substr(0, bPrefix));
    if (result != 0 || (aPrefix == a.size() && bPrefix == b.size()))
        return result;
    return VersionCompare(a, b);
}

bool NaturalLess(std::string_view a, std::string_view b)
{
    const int order = FileVersionCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

} // namespace kameola
