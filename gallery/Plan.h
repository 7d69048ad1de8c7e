// SPDX-License-Identifier: MIT
// The run's plan: every output path and address of every entry, worked out once before
// anything is written, so that one output file serves one picture.
#pragma once

#include "common/FileState.h"
#include "gallery/Formats.h"
#include "gallery/Job.h"
#include "gallery/Naming.h"

#include <string>
#include <vector>

namespace kameola {

// What one entry reads and writes and how its cell names it. Output paths are whole paths
// in the output folder.
struct PlannedEntry {
    std::string Source;  // the listed file's path, as given
    FileId File;         // the listed file, looked up once when planned
    FileClass Class = FileClass::Other;
    // Decodes the file; null when it is not read. An entry of class Other is read only
    // for the small image the job asks for: its cell shows that and links the file.
    const PictureReader* Reader = nullptr;
    std::string BaseName;
    std::string SmallImage;  // empty when the entry gets none
    std::string Conversion;  // a BMP's full-size JPEG in copy mode; else empty
    std::string CopyTarget;  // the copy in copy mode (not for BMP); else empty
    std::string Link;        // the cell's addresses, encoded for the page
    std::string Picture;
    // The output path that clashed with an earlier output, when the run goes on without
    // this entry; empty for an entry that is written.
    std::string Clash;
};

struct RunPlan {
    std::string Background;         // the background picture's path; empty for none
    std::string BackgroundCopy;     // the path of its copy; empty for none
    std::string BackgroundAddress;  // its address on the page; empty for none
    std::string PagePath;           // the page's path in the output folder
    std::vector<PlannedEntry> Entries;  // one per job entry, in list order
    std::vector<FileId> Listed;     // the entries' files and the background picture
};

// Works out the plan. Two different files (device and inode; a file that cannot be found
// by its path) whose outputs share a name clash unless both outputs are copies, of which
// the first is kept; an output that is not a copy may not replace a file the job lists;
// no output takes a name of the form of the run's temporary files (see IsTemporaryName).
// A clash raises EFCreateError naming the later output's path, tagged with its entry's
// index; with keepGoing that entry is marked and left without outputs instead, unless
// the page itself clashes. Only looks at the file system, never writes or reads a file.
RunPlan PlanRun(const GalleryJob& job, bool keepGoing);

} // namespace kameola
