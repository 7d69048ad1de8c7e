// SPDX-License-Identifier: MIT
// Naming rules: taking paths apart and naming output files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kameola {

// How paths are written. Native: "/" is the only separator and there is no drive prefix.
// Windows: "\" and "/" separate, ":" ends a drive prefix.
enum class PathSyntax { Native, Windows };

// The text after the last separator (or drive colon); the whole text if there is none.
std::string BaseName(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// From the last "." to the end, when that dot lies in the last path element; else empty.
std::string ExtensionOf(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// Replaces the extension found by ExtensionOf, or appends the new one when there is none.
std::string ChangeExtension(std::string_view name, std::string_view extension,
                            PathSyntax syntax = PathSyntax::Native);

// ASCII letters to capitals; every other byte unchanged.
std::string UpperAscii(std::string_view text);

// Replaces every match of pattern, compared without regard to ASCII case, from the left,
// without overlaps; the text between matches keeps its own case.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement);

// The directory text and the name, with one separator between them when needed.
std::string JoinOutputPath(std::string_view directory, std::string_view name,
                           PathSyntax syntax = PathSyntax::Native);

} // namespace kameola
