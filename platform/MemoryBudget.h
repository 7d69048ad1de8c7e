// SPDX-License-Identifier: MIT
// The memory that the pictures being prepared at once may share. An entry reserves its
// picture's bytes before allocating them and waits while the pictures in flight leave no
// room; a picture larger than the whole budget waits until it is alone.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace kameola {

class MemoryBudget {
public:
    // A reservation given back when it goes.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(MemoryBudget* budget, std::size_t bytes) : m_budget(budget), m_bytes(bytes) {}
        ~Reservation() { Release(); }
        Reservation(Reservation&& other) noexcept { *this = std::move(other); }
        Reservation& operator=(Reservation&& other) noexcept;
        void Release();

    private:
        MemoryBudget* m_budget = nullptr;
        std::size_t m_bytes = 0;
    };

    // capacity() gives the budget at the time of each reservation.
    explicit MemoryBudget(std::size_t (*capacity)()) : m_capacity(capacity) {}

    // Waits until bytes fit beside the reservations held, or none is held.
    Reservation Reserve(std::size_t bytes);
    std::size_t InUse() const;
    // Reservations waiting for room.
    int Waiting() const;

private:
    void Give(std::size_t bytes);

    std::size_t (*m_capacity)();
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::size_t m_inUse = 0;
    int m_waiting = 0;
};

} // namespace kameola
