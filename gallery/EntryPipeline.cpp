// SPDX-License-Identifier: MIT
// The entries' preparations in list order.
#include "gallery/EntryPipeline.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kameola {

EntryPipeline::EntryPipeline(const RunPlan& plan, int thumbWidth, int jobs,
                             std::optional<TimeResolution> update)
    : m_plan(plan), m_thumbWidth(thumbWidth), m_update(update)
{
    for (std::size_t i = 0; i < plan.Entries.size(); ++i) {
        if (plan.Entries[i].Clash.empty())
            m_kept.push_back(i);
    }
    if (!m_kept.empty())
        m_next.store(m_kept.front());
    if (jobs > 1) {
        // Entries in flight hold their file open when copied: at most about 256 of them.
        m_batchEntries = std::clamp<std::size_t>(256 / static_cast<std::size_t>(jobs + 1), 1, 32);
        m_workers = std::make_unique<Workers>(jobs);
        for (int batch = 0; batch < jobs + 1; ++batch)
            SubmitNext();
    }
}

PreparedEntry EntryPipeline::Next(RunHost& host)
{
    const std::size_t index = m_kept.at(m_taken);
    ++m_taken;
    m_next.store(index);
    if (!m_workers)
        return Prepare(index);
    PictureMemoryBudget().TurnChanged();
    if (m_inBatch == m_batch.size()) {
        std::future<Batch> result = std::move(m_pending.front());
        m_pending.pop_front();
        SubmitNext();
        while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            host.KeepResponsive();
        m_batch = result.get();
        m_inBatch = 0;
    }
    Outcome& outcome = m_batch.at(m_inBatch++);
    if (outcome.Error)
        std::rethrow_exception(outcome.Error);
    return std::move(*outcome.Entry);
}

PreparedEntry EntryPipeline::Prepare(std::size_t index) const
{
    const MemoryBudget::EntryTurn turn([this, index] { return m_next.load() == index; }, index);
    return PrepareEntry(m_plan.Entries[index], m_thumbWidth, m_update);
}

void EntryPipeline::SubmitNext()
{
    // Consecutive entries while their files stay under kBatchBytes together.
    std::vector<std::size_t> indexes;
    std::uintmax_t bytes = 0;
    while (m_submitted < m_kept.size() && indexes.size() < m_batchEntries && bytes < kBatchBytes) {
        const std::size_t index = m_kept[m_submitted];
        bytes += m_plan.Entries[index].File.Size;
        if (!indexes.empty() && bytes >= kBatchBytes)
            break;
        indexes.push_back(index);
        ++m_submitted;
    }
    if (indexes.empty())
        return;
    m_pending.push_back(m_workers->Submit([this, indexes = std::move(indexes)] {
        Batch batch(indexes.size());
        for (std::size_t i = 0; i < indexes.size(); ++i) {
            try {
                batch[i].Entry = Prepare(indexes[i]);
            } catch (...) {
                batch[i].Error = std::current_exception();
            }
        }
        return batch;
    }));
}

} // namespace kameola
