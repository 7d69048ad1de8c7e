// SPDX-License-Identifier: MIT
// Naming rules: taking paths apart, naming output files and the page's addresses of them.
#pragma once

#include "common/PathSyntax.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kameola {

// The text after the last separator (or drive colon); the whole text if there is none.
std::string BaseName(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// From the last "." to the end, when that dot lies in the last path element; else empty.
std::string ExtensionOf(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// Replaces the extension found by ExtensionOf, or appends the new one when there is none.
std::string ChangeExtension(std::string_view name, std::string_view extension,
                            PathSyntax syntax = PathSyntax::Native);

// ASCII letters to capitals; every other byte unchanged.
std::string UpperAscii(std::string_view text);

// Such a picture's small image: "s" before its extension and ".jpg" after it, so a.png gives
// as.png.jpg and never meets the name of a.jpg's small image.
std::string WebSmallImageName(std::string_view baseName, PathSyntax syntax = PathSyntax::Native);

// Replaces every match of pattern, compared without regard to ASCII case, from the left,
// without overlaps; the text between matches keeps its own case.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement);

// The directory text and the name, with one separator between them when needed.
std::string JoinOutputPath(std::string_view directory, std::string_view name,
                           PathSyntax syntax = PathSyntax::Native);

// A name in the output folder as a link or picture address (HREF, SRC, BACKGROUND):
// percent-encodes what would end the attribute or change what a browser requests: '"',
// '#', '?', '%', '&', control bytes and DEL, a space at the start or end, and each byte
// that is not part of valid UTF-8 (as that byte, "%E9"). Natively '\' and ':' are encoded
// too; in Windows syntax they are the name's separators and drive colon and stay. Valid
// non-ASCII text stays as it is.
std::string NameAddress(std::string_view name, PathSyntax syntax = PathSyntax::Native);

// "file://" and the path encoded as NameAddress does ("\" written as "/" in Windows
// syntax); the scheme stays.
std::string FileAddress(std::string_view path, PathSyntax syntax = PathSyntax::Native);

} // namespace kameola
