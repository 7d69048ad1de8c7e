// SPDX-License-Identifier: MIT
// Worker threads for the run: tasks start in the order they are submitted and each hands
// its result back through a future, so the run can take results strictly in list order.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kameola {

// The number of CPUs this process may run on and its cgroup CPU quota allows (at least 1).
int AvailableCpuCount();

class Workers {
public:
    explicit Workers(int threads);
    // Drops the tasks that have not started and waits for the running ones to finish.
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    template <class F>
    auto Submit(F task) -> std::future<decltype(task())>
    {
        using Result = decltype(task());
        auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        std::future<Result> result = packaged->get_future();
        Enqueue([packaged] { (*packaged)(); });
        return result;
    }

private:
    void Enqueue(std::function<void()> task);
    void Work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace kameola
