// The entries' preparations in list order.
#include "gallery/detail/EntryPipeline.h"

#include <chrono>
#include <utility>

namespace kameola {

EntryPipeline::EntryPipeline(const GalleryJob& job, const RunPlan& plan, int jobs,
                             std::string updateFolder)
    : m_job(job), m_plan(plan), m_updateFolder(std::move(updateFolder))
{
    for (std::size_t i = 0; i < plan.Entries.size(); ++i) {
        if (plan.Entries[i].Clash.empty())
            m_kept.push_back(i);
    }
    if (jobs > 1) {
        m_workers = std::make_unique<Workers>(jobs);
        while (m_submitted < m_kept.size() && m_submitted < static_cast<std::size_t>(jobs) + 1)
            SubmitNext();
    }
}

PreparedEntry EntryPipeline::Next(RunHost& host)
{
    const std::size_t index = m_kept.at(m_taken);
    ++m_taken;
    if (!m_workers)
        return Prepare(index);
    std::future<PreparedEntry> result = std::move(m_pending.front());
    m_pending.pop_front();
    SubmitNext();
    while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        host.KeepResponsive();
    return result.get();
}

PreparedEntry EntryPipeline::Prepare(std::size_t index) const
{
    return PrepareEntry(m_job.Entries[index].Path, m_plan.Entries[index], m_job.ThumbWidth,
                        m_updateFolder);
}

void EntryPipeline::SubmitNext()
{
    if (m_submitted >= m_kept.size())
        return;
    const std::size_t index = m_kept[m_submitted];
    m_pending.push_back(m_workers->Submit([this, index] { return Prepare(index); }));
    ++m_submitted;
}

} // namespace kameola
