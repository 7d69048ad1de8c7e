// Making a list entry from a file path.
#pragma once

#include "gallery/Job.h"

#include <string>

namespace kameola {

// Opens the file for reading to take its size. Raises EFOpenError when it cannot be
// read as a file (missing, no permission, a directory, a pipe or device); the path is
// kept exactly as given.
GalleryEntry OpenEntry(const std::string& path);

} // namespace kameola
