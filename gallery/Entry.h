// SPDX-License-Identifier: MIT
// Making list entries from file paths.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"

#include <string>
#include <vector>

namespace kameola {

// Opens the file for reading to take its size. Raises EFOpenError when it cannot be
// read as a file (missing, no permission, a directory, a pipe or device); the path is
// kept exactly as given.
GalleryEntry OpenEntry(const std::string& path);

// Opens each file as OpenEntry does, in order. With keepGoing a file that cannot be
// opened is reported to the host as a failed entry and left out; otherwise the first
// such error is raised, its entry index set to the file's index in paths.
std::vector<GalleryEntry> OpenEntries(const std::vector<std::string>& paths, RunHost& host,
                                      bool keepGoing);

} // namespace kameola
