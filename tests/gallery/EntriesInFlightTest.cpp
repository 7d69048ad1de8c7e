// SPDX-License-Identifier: MIT
// Entries in flight: their pictures share one memory budget (a reservation that does not
// fit waits for room, one larger than the whole budget goes ahead alone), and each keeps
// the file it read for its copy.
#include "common/OutputFile.h"
#include "platform/MemoryBudget.h"
#include "gallery/Plan.h"
#include "gallery/Prepare.h"
#include "tests/gallery/TestFiles.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

using namespace kameola;
using namespace kameola::test;

namespace {

std::size_t HundredBytes()
{
    return 100;
}

// Starts a reservation of bytes on another thread and returns once it waits or holds.
struct Reserver {
    // With next, the reservation is for the entry at place in the list.
    Reserver(MemoryBudget& budget, std::size_t bytes, std::function<bool()> next = {},
             std::size_t place = 0)
        : thread([&budget, bytes, this, next, place] {
              std::optional<MemoryBudget::EntryTurn> turn;
              if (next)
                  turn.emplace(next, place);
              MemoryBudget::Reservation held = budget.Reserve(bytes);
              holding = true;
              while (!release)
                  std::this_thread::yield();
          })
    {
    }
    ~Reserver()
    {
        release = true;
        thread.join();
    }
    std::atomic<bool> holding{false}, release{false};
    std::thread thread;
};

// The reserver waits while blocker is held and holds once blocker is released.
void ExpectWaitsFor(MemoryBudget& budget, Reserver& waiting, MemoryBudget::Reservation& blocker)
{
    while (budget.Waiting() != 1)
        std::this_thread::yield();
    EXPECT_FALSE(waiting.holding);
    blocker.Release();
    while (!waiting.holding)
        std::this_thread::yield();
}

} // namespace

TEST(MemoryBudgetTest, AReservationWaitsUntilThePicturesInFlightLeaveRoom)
{
    MemoryBudget budget(HundredBytes);
    MemoryBudget::Reservation first = budget.Reserve(60);
    MemoryBudget::Reservation second = budget.Reserve(40);  // fits exactly
    EXPECT_EQ(budget.InUse(), 100u);
    {
        Reserver third(budget, 30);
        ExpectWaitsFor(budget, third, first);
        EXPECT_EQ(budget.InUse(), 70u);
    }
    second.Release();
    EXPECT_EQ(budget.InUse(), 0u);

    // Larger than the whole budget: alone, and nothing else beside it.
    MemoryBudget::Reservation huge = budget.Reserve(500);
    Reserver small(budget, 1);
    ExpectWaitsFor(budget, small, huge);
}

TEST(MemoryBudgetTest, WhatLaterEntriesHoldForTheirCommitNeverBlocksTheEntryNextInLine)
{
    MemoryBudget budget(HundredBytes);
    MemoryBudget::Reservation later = budget.Reserve(80);
    later.Hold();  // prepared, waiting for the entries before it to be committed
    std::atomic<bool> next{false};
    Reserver entry(budget, 50, [&next] { return next.load(); });
    while (budget.Waiting() != 1)
        std::this_thread::yield();
    EXPECT_FALSE(entry.holding);  // not yet its turn: the held bytes count
    next = true;
    budget.TurnChanged();
    while (!entry.holding)
        std::this_thread::yield();
    EXPECT_EQ(budget.InUse(), 130u);  // past the budget by what the later entry holds
    later.Release();
    EXPECT_EQ(budget.InUse(), 50u);
}

// A later entry being prepared blocks the entry next in line until it holds its bytes for
// its commit; holding them wakes the waiting entry (it would wait forever otherwise).
TEST(MemoryBudgetTest, HoldingWakesTheEntryNextInLine)
{
    MemoryBudget budget(HundredBytes);
    MemoryBudget::Reservation later = budget.Reserve(80);
    Reserver entry(budget, 50, [] { return true; });
    while (budget.Waiting() != 1)
        std::this_thread::yield();
    EXPECT_FALSE(entry.holding);
    later.Hold();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!entry.holding && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_TRUE(entry.holding) << "the entry next in line was not woken";
    later.Release();  // lets a stuck entry go, so a failure ends
}

// Room is given to the waiting entries by their place in the list, not by who came first:
// a later picture prepared ahead of the entry next in line would pass the budget beside it.
TEST(MemoryBudgetTest, WaitingEntriesAreLetInByTheirPlaceInTheList)
{
    MemoryBudget budget(HundredBytes);
    MemoryBudget::Reservation blocker = budget.Reserve(100);
    const auto notNext = [] { return false; };
    Reserver later(budget, 60, notNext, 5);
    while (budget.Waiting() != 1)
        std::this_thread::yield();
    std::optional<Reserver> earlier;
    earlier.emplace(budget, 60, notNext, 2);
    while (budget.Waiting() != 2)
        std::this_thread::yield();
    EXPECT_FALSE(earlier->holding);
    blocker.Release();
    while (!earlier->holding)
        std::this_thread::yield();
    EXPECT_FALSE(later.holding);
    EXPECT_EQ(budget.InUse(), 60u);
    earlier.reset();  // gives its room back
    while (!later.holding)
        std::this_thread::yield();
}

// The copy of an entry comes from the file its small image was made from, even when the
// name is replaced in between.
TEST(PreparedEntryTest, KeepsTheFileItReadForTheCopy)
{
    ScratchDir dir;
    WriteJpeg(dir / "photo.jpg", 40, 30);
    const std::string first = ReadFile(dir / "photo.jpg");
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.Entries = {{dir / "photo.jpg", ""}};
    job.ThumbWidth = 20;
    job.MakeSmallImages = true;
    const auto prepare = [&] {
        return PrepareEntry(PlanRun(job, false).Entries.at(0), job.ThumbWidth);
    };
    const PreparedEntry prepared = prepare();
    ASSERT_TRUE(prepared.Source.Valid());
    WriteJpeg(dir / "other.jpg", 80, 20);
    std::filesystem::rename(dir / "other.jpg", dir / "photo.jpg");
    ASSERT_TRUE(CopyFileNoReplace(prepared.Source.Get(), dir / "copy.jpg"));
    EXPECT_EQ(ReadFile(dir / "copy.jpg"), first);
    EXPECT_EQ(prepared.Height, 15);

    job.LinkInPlace = true;  // nothing is copied, so nothing is held open
    EXPECT_FALSE(prepare().Source.Valid());
}
