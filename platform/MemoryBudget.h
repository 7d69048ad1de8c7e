// SPDX-License-Identifier: MIT
// The memory that the pictures being prepared at once may share. An entry reserves its
// picture's bytes before allocating them and waits while the pictures in flight leave no
// room; a picture larger than the whole budget waits until it is alone.
//
// What an entry made stays reserved until it is committed (held): a large conversion waiting
// for its turn counts like the picture it came from. Entries are committed in list order,
// so the entry next in line never waits for what later entries hold: that would wait
// forever. Only then can the budget be passed, by at most what those entries hold.
//
// Waiting entries are let in by their place in the list: a later entry never takes the room
// an earlier one waits for, so a later picture cannot be prepared and held ahead of the
// entry next in line, which would then pass the budget beside it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <set>

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
        // Keeps the bytes until the entry is committed (see above).
        void Hold();

    private:
        MemoryBudget* m_budget = nullptr;
        std::size_t m_bytes = 0;
        bool m_held = false;
    };

    // While it lives, the reservations of this thread are for the entry at place in the
    // list, whose turn to be committed has come when next() says so.
    class EntryTurn {
    public:
        EntryTurn(std::function<bool()> next, std::size_t place);
        ~EntryTurn();
        EntryTurn(const EntryTurn&) = delete;
        EntryTurn& operator=(const EntryTurn&) = delete;

    private:
        friend class MemoryBudget;
        std::function<bool()> m_next;
        std::size_t m_place;
        const EntryTurn* m_outer;
    };

    // capacity() gives the budget at the time of each reservation.
    explicit MemoryBudget(std::size_t (*capacity)()) : m_capacity(capacity) {}

    // Waits until bytes fit beside the reservations held, or none is held; for the entry
    // next in line, beside those not held for a commit.
    Reservation Reserve(std::size_t bytes);
    std::size_t InUse() const;
    // Reservations waiting for room.
    int Waiting() const;
    // Wakes the waiting reservations to look again: the entry next in line has changed.
    void TurnChanged();

private:
    void Give(std::size_t bytes, bool held);
    void MarkHeld(std::size_t bytes);

    std::size_t (*m_capacity)();
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::size_t m_inUse = 0;
    std::size_t m_held = 0;  // of m_inUse, held until a commit
    int m_waiting = 0;
    std::multiset<std::size_t> m_waitingPlaces;  // of the waiting entries
};

} // namespace kameola
