// SPDX-License-Identifier: MIT
// Worker threads for the run.
#include "platform/Workers.h"

#include "platform/CpuQuota.h"

#include <sched.h>

namespace kameola {

int AvailableCpuCount()
{
    int count = 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        count = CPU_COUNT(&set);
    if (count <= 0) {
        const unsigned hardware = std::thread::hardware_concurrency();
        count = hardware > 0 ? static_cast<int>(hardware) : 1;
    }
    // A container limited to 2 CPUs of a large host may still see all of them.
    const std::optional<int> quota = CgroupCpuLimit();
    return quota && *quota < count ? *quota : count;
}

Workers::Workers(int threads)
{
    m_threads.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { Work(); });
}

Workers::~Workers()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();  // their futures report a broken promise; nobody waits for them
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void Workers::Enqueue(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void Workers::Work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            task = std::move(m_queue.front());
            m_queue.pop_front();
        }
        task();  // a packaged task: whatever it throws goes to its future
    }
}

} // namespace kameola
