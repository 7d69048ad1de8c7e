// SPDX-License-Identifier: MIT
// The memory shared by the pictures being prepared at once.
#include "platform/MemoryBudget.h"

#include <algorithm>
#include <utility>

namespace kameola {

namespace {

thread_local const MemoryBudget::EntryTurn* t_turn = nullptr;
thread_local const std::function<bool()>* t_next = nullptr;

} // namespace

MemoryBudget::EntryTurn::EntryTurn(std::function<bool()> next)
    : m_next(std::move(next)), m_outer(t_turn)
{
    t_turn = this;
    t_next = &m_next;
}

MemoryBudget::EntryTurn::~EntryTurn()
{
    t_turn = m_outer;
    t_next = m_outer ? &m_outer->m_next : nullptr;
}

MemoryBudget::Reservation& MemoryBudget::Reservation::operator=(Reservation&& other) noexcept
{
    if (this != &other) {
        Release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
        m_held = std::exchange(other.m_held, false);
    }
    return *this;
}

void MemoryBudget::Reservation::Release()
{
    if (m_budget)
        std::exchange(m_budget, nullptr)->Give(std::exchange(m_bytes, 0), std::exchange(m_held, false));
}

void MemoryBudget::Reservation::Hold()
{
    if (m_budget && !m_held) {
        m_held = true;
        m_budget->MarkHeld(m_bytes);
    }
}

MemoryBudget::Reservation MemoryBudget::Reserve(std::size_t bytes)
{
    const std::function<bool()>* next = t_next;
    std::unique_lock lock(m_mutex);
    const auto room = [&] {
        const std::size_t capacity = m_capacity();
        const std::size_t counted = next && (*next)() ? m_inUse - m_held : m_inUse;
        return counted == 0 || (counted <= capacity && bytes <= capacity - counted);
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

void MemoryBudget::TurnChanged()
{
    { std::lock_guard lock(m_mutex); }  // a waiter looks again after its check, not during
    m_freed.notify_all();
}

void MemoryBudget::Give(std::size_t bytes, bool held)
{
    {
        std::lock_guard lock(m_mutex);
        m_inUse -= bytes;
        if (held)
            m_held -= bytes;
    }
    m_freed.notify_all();
}

void MemoryBudget::MarkHeld(std::size_t bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_held += bytes;
    }
    // The entry next in line no longer counts these bytes: it may be waiting for them.
    m_freed.notify_all();
}

} // namespace kameola
