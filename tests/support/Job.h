// SPDX-License-Identifier: MIT
// A gallery job over some files into an output folder, every other field at its default.
#pragma once

#include "gallery/Job.h"

#include <initializer_list>
#include <string>

namespace kameola::test {

inline GalleryJob JobIn(const std::string& outputDir, std::initializer_list<std::string> paths)
{
    GalleryJob job;
    job.OutputDir = outputDir;
    for (const std::string& path : paths)
        job.Entries.push_back({path, ""});
    return job;
}

} // namespace kameola::test
