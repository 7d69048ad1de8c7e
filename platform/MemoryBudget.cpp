// SPDX-License-Identifier: MIT
// The memory shared by the pictures being prepared at once.
#include "platform/MemoryBudget.h"

#include <algorithm>
#include <utility>

namespace kameola {

namespace {

thread_local const MemoryBudget::EntryTurn* t_turn = nullptr;

} // namespace

MemoryBudget::EntryTurn::EntryTurn(std::function<bool()> next, std::size_t place)
    : m_next(std::move(next)), m_place(place), m_outer(t_turn)
{
    t_turn = this;
}

MemoryBudget::EntryTurn::~EntryTurn()
{
    t_turn = m_outer;
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
    const EntryTurn* turn = t_turn;
    std::unique_lock lock(m_mutex);
    const auto room = [&] {
        if (turn && !m_waitingPlaces.empty() && *m_waitingPlaces.begin() < turn->m_place)
            return false;  // an earlier entry waits for room
        const std::size_t capacity = m_capacity();
        const std::size_t counted = turn && turn->m_next() ? m_inUse - m_held : m_inUse;
        return counted == 0 || (counted <= capacity && bytes <= capacity - counted);
    };
    if (!room()) {
        ++m_waiting;
        const auto place = turn ? m_waitingPlaces.insert(turn->m_place) : m_waitingPlaces.end();
        m_freed.wait(lock, room);
        --m_waiting;
        if (turn) {
            m_waitingPlaces.erase(place);
            m_freed.notify_all();  // the entry after it may fit in what is left
        }
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
