// SPDX-License-Identifier: MIT
// Filling a message template with its arguments.
#include "common/MessageFormat.h"

#include <cctype>

namespace kameola {

namespace {

bool IsConversion(char c) { return c == 's' || c == 'd'; }

} // namespace

std::string FormatMessage(std::string_view text, const std::vector<std::string>& args)
{
    std::string out;
    out.reserve(text.size() + 16 * args.size());
    std::size_t next = 0;  // the argument the next plain placeholder takes
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[i + 1];
        if (c == '%' || IsConversion(c)) {
            if (c == '%')
                out += '%';
            else if (next < args.size())
                out += args[next++];
            ++i;
            continue;
        }
        // %N$s: the Nth argument, counted from 1.
        std::size_t j = i + 1;
        std::size_t number = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            number = number * 10 + static_cast<std::size_t>(text[j++] - '0');
        if (number > 0 && j + 1 < text.size() && text[j] == '$' && IsConversion(text[j + 1])) {
            if (number <= args.size())
                out += args[number - 1];
            i = j + 1;
            continue;
        }
        out += '%';
    }
    return out;
}

} // namespace kameola
