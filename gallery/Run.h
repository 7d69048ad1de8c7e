// RunGallery: writes the gallery page and its companion files for one job.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"

#include <utility>

namespace kameola {

// Writes the page, copies, BMP conversions and small images into the job's output
// directory, reaching the windows only through the host. Errors propagate to the caller;
// files written before an error stay and the page is written only at the very end.
void RunGallery(const GalleryJob& job, RunHost& host);

// The thumbnail width and height of one entry; writes its small image when the job asks.
std::pair<int, int> PrepareEntry(const std::string& path, const GalleryJob& job);

// Writes the full-size JPEG conversion of a BMP file into the directory, when the file exists.
void ConvertBmpToJpeg(const std::string& path, const std::string& directory);

} // namespace kameola
