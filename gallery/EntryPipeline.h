// SPDX-License-Identifier: MIT
// Hands out the entries' preparations in list order, prepared ahead on worker threads.
#pragma once

#include "gallery/Plan.h"
#include "gallery/RunHost.h"
#include "gallery/Prepare.h"
#include "platform/Workers.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kameola {

// Prepares the entries the plan keeps (those without a clash), in list order. With more
// than one job they are prepared ahead on worker threads in batches of consecutive
// entries, at most jobs + 1 batches between the start of their preparation and their
// commit; with one job each is prepared when it is asked for. Small files share a batch,
// so that handing work to a thread does not cost more than the work; a file of
// kBatchBytes or more has a batch of its own.
class EntryPipeline {
public:
    // Small images are thumbWidth wide; with update, outputs up to date are kept (see
    // PrepareEntry). Files are sized for batches as the plan found them.
    EntryPipeline(const RunPlan& plan, int thumbWidth, int jobs,
                  std::optional<TimeResolution> update = std::nullopt);

    // The next kept entry's preparation; rethrows its error. Keeps the host responsive
    // while the entry is still being prepared.
    PreparedEntry Next(RunHost& host);

    static constexpr std::uintmax_t kBatchBytes = 256 * 1024;

private:
    // One entry's preparation or its error.
    struct Outcome {
        std::optional<PreparedEntry> Entry;
        std::exception_ptr Error;
    };
    using Batch = std::vector<Outcome>;

    PreparedEntry Prepare(std::size_t index) const;
    void SubmitNext();

    const RunPlan& m_plan;
    int m_thumbWidth;
    std::optional<TimeResolution> m_update;
    std::vector<std::size_t> m_kept;  // indexes of the entries to prepare
    std::size_t m_submitted = 0;
    std::size_t m_taken = 0;
    std::atomic<std::size_t> m_next{0};  // the entry the run commits next
    std::size_t m_batchEntries = 1;   // the most entries a batch holds
    std::deque<std::future<Batch>> m_pending;
    Batch m_batch;                    // the batch being taken
    std::size_t m_inBatch = 0;        // its next outcome
    std::unique_ptr<Workers> m_workers;  // last: stopped first, before the futures go
};

} // namespace kameola
