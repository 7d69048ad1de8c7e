// Hands out the entries' preparations in list order, prepared ahead on worker threads.
#pragma once

#include "gallery/Job.h"
#include "gallery/Plan.h"
#include "gallery/RunHost.h"
#include "gallery/detail/Prepare.h"
#include "gallery/detail/Workers.h"

#include <cstddef>
#include <deque>
#include <future>
#include <memory>
#include <vector>

namespace kameola {

// Prepares the entries the plan keeps (those without a clash), in list order. With more
// than one job they are prepared ahead on worker threads, at most jobs + 1 of them
// between the start of their preparation and their commit; with one job each is prepared
// when it is asked for.
class EntryPipeline {
public:
    // With an update folder, outputs up to date there are kept (see PrepareEntry).
    EntryPipeline(const GalleryJob& job, const RunPlan& plan, int jobs, std::string updateFolder = {});

    // The next kept entry's preparation; rethrows its error. Keeps the host responsive
    // while the entry is still being prepared.
    PreparedEntry Next(RunHost& host);

private:
    PreparedEntry Prepare(std::size_t index) const;
    void SubmitNext();

    const GalleryJob& m_job;
    const RunPlan& m_plan;
    std::string m_updateFolder;
    std::vector<std::size_t> m_kept;  // indexes of the entries to prepare
    std::size_t m_submitted = 0;
    std::size_t m_taken = 0;
    std::deque<std::future<PreparedEntry>> m_pending;
    std::unique_ptr<Workers> m_workers;  // last: stopped first, before the futures go
};

} // namespace kameola
