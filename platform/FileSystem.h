// SPDX-License-Identifier: MIT
// Folders of the file system: whether one exists, making a chain of them, absolute paths.
#pragma once

#include "common/PathSyntax.h"

#include <string>
#include <string_view>

namespace kameola {

// Creates every missing level of the directory text; raises EInOutError at the first
// level that cannot be created (levels created before it stay).
void CreateDirectoryChain(std::string_view directory, PathSyntax syntax = PathSyntax::Native);

// The path made absolute against the working folder by its text alone: "." elements and
// doubled separators are dropped; ".." and symbolic links are kept as they are, since
// folding ".." by its text could name another file. An empty path stays empty.
std::string AbsolutePath(const std::string& path);

// Whether the path names a directory (following symbolic links).
bool DirectoryExists(const std::string& path);

} // namespace kameola
