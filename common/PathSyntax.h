// SPDX-License-Identifier: MIT
// How paths are written, and which bytes separate their elements.
#pragma once

namespace kameola {

// Native: "/" is the only separator and there is no drive prefix. Windows: "\" and "/"
// separate, ":" ends a drive prefix.
enum class PathSyntax { Native, Windows };

constexpr bool IsSeparator(char c, PathSyntax syntax)
{
    return c == '/' || (syntax == PathSyntax::Windows && c == '\\');
}

} // namespace kameola
