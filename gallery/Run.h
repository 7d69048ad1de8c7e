// SPDX-License-Identifier: MIT
// RunGallery: writes the gallery page and its companion files for one job.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"

namespace kameola {

enum class RunOutcome {
    Done,         // the page was written
    NoOutputDir,  // no output folder was given; the host was warned
    Declined,     // the output folder was missing and the user did not want it made
    AllFailed,    // kept going, but every entry failed: no page was written
};

// The most threads a run prepares entries on.
inline constexpr IntRange kJobsRange{1, 64};

struct RunOptions {
    // Threads that prepare entries; 0 for one per CPU the process may run on, 1 to do all
    // the work on the calling thread.
    int Jobs = 0;
    // Leave a failing entry out of the page (reported to the host) instead of stopping.
    bool KeepGoing = false;
    // Make a missing output folder without asking the host.
    bool CreateMissingFolder = false;
    // Keep the outputs already in the output folder that are up to date: with their
    // source's modification time (to the folder's time resolution) and the size this run
    // would write (a copy's bytes; the pixels of a small image, also progressive or
    // baseline as its source, or of a conversion). Other copies are replaced whole.
    // Entries whose outputs are all kept are sized from their headers, not decoded.
    bool Update = false;
};

// Writes the page, copies, BMP conversions and small images into the job's output
// directory, reaching the windows only through the host. Every output name is worked out
// first: outputs that would clash stop the run (an EFCreateError tagged with the entry's
// index) before anything is written. Entries are prepared on worker threads and committed
// in list order, so the files are the same for any number of workers. Errors propagate to
// the caller, tagged with the entry they came from; files written before an error stay
// and the page is written only at the very end.
RunOutcome RunGallery(const GalleryJob& job, RunHost& host, const RunOptions& options = {});

} // namespace kameola
