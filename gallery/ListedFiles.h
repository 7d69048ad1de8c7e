// The files a run was given, so that nothing the run writes replaces one of them.
#pragma once

#include "gallery/Job.h"

#include <set>
#include <string>
#include <sys/types.h>
#include <utility>

namespace kameola {

// The entries and the background picture of a job, known by device and inode, gathered
// when the run starts: a file is the same whatever path, link or case names it.
class ListedFiles {
public:
    explicit ListedFiles(const GalleryJob& job);

    // Raises EFCreateError for the path when it names one of the listed files; called just
    // before an output file is written there.
    void RefuseListed(const std::string& path) const;

private:
    std::set<std::pair<dev_t, ino_t>> m_files;
};

} // namespace kameola
