// SPDX-License-Identifier: MIT
// The memory shared by the pictures being prepared at once.
#include "platform/MemoryBudget.h"

#include <algorithm>
#include <utility>

namespace kameola {

MemoryBudget::Reservation& MemoryBudget::Reservation::operator=(Reservation&& other) noexcept
{
    if (this != &other) {
        Release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

void MemoryBudget::Reservation::Release()
{
    if (m_budget)
        std::exchange(m_budget, nullptr)->Give(std::exchange(m_bytes, 0));
}

MemoryBudget::Reservation MemoryBudget::Reserve(std::size_t bytes)
{
    std::unique_lock lock(m_mutex);
    const auto room = [&] {
        const std::size_t capacity = m_capacity();
        return m_inUse == 0 || (m_inUse <= capacity && bytes <= capacity - m_inUse);
    };
    if (!room()) {
        ++m_waiting;
        m_freed.wait(lock, room);
        --m_waiting;
    }
    m_inUse += bytes;
    return Reservation(this, bytes);
}

std::size_t MemoryBudget::InUse() const
{
    std::lock_guard lock(m_mutex);
    return m_inUse;
}

int MemoryBudget::Waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_waiting;
}

void MemoryBudget::Give(std::size_t bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_inUse -= bytes;
    }
    m_freed.notify_all();
}

} // namespace kameola
