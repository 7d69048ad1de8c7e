// SPDX-License-Identifier: MIT
// The --files-from list: one path a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// The paths in the text of the list called name, one a line; a line ends at "\n" only,
// so a CR before it stays part of the name; empty lines name nothing. A line holding a
// NUL byte raises UsageError "NAME:N: NUL byte in a file name" (N counting from 1): the
// system would open the name cut at that byte.
std::vector<std::string> ParseFileList(std::string_view name, std::string_view text);

// Reads the list at path ("-" for standard input) and appends its paths to files. A list
// that cannot be read raises EFOpenError with its name (EReadError for standard input).
void ReadFileList(const std::string& path, std::vector<std::string>& files);

} // namespace kameola
