// SPDX-License-Identifier: MIT
// File identity, content state and whether a copy is up to date.
#include "common/FileState.h"
#include "tests/support/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;

namespace {

// Sets a file's (or a link's own) modification time to whole seconds plus nanoseconds.
void SetTime(const std::string& path, time_t seconds, long nanoseconds = 0)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

TEST(FileState, IdentityFollowsLinksAndFallsBackToThePath)
{
    ScratchDir dir;
    WriteFile(dir / "a", "12345");
    ASSERT_EQ(::symlink((dir / "a").c_str(), (dir / "link").c_str()), 0);
    const FileId a = IdentifyFile(dir / "a");
    EXPECT_TRUE(a.Found);
    EXPECT_EQ(a.Size, 5u);
    EXPECT_EQ(IdentifyFile(dir / "link"), a);
    EXPECT_EQ(IdentifyFile(dir.Path().string()).Size, 0u);  // only regular files are sized
    EXPECT_EQ(IdentifyFile(dir / "gone"), IdentifyFile(dir / "gone"));
    EXPECT_FALSE(IdentifyFile(dir / "gone") == IdentifyFile(dir / "gone2"));
    EXPECT_FALSE(IdentifyFile("").Found);
}

TEST(FileState, AnOutputIsUpToDateAtItsSourcesTimeAndTheSizeItWouldHave)
{
    ScratchDir dir;
    WriteFile(dir / "source", "bytes");
    SetTime(dir / "source", 2001, 500);
    const struct stat source = StatOf(dir / "source");
    constexpr TimeResolution kExact{1}, kFat{2000000000};
    struct Case {
        const char* Name;
        time_t Seconds;
        long Nanoseconds;
        const char* Bytes;
        TimeResolution Resolution;
        bool SameTime;  // the times are equal to the resolution
        CopyState State;
    };
    const Case cases[] = {
        {"same time and size", 2001, 500, "12345", kExact, true, CopyState::Current},
        {"newer by a nanosecond", 2001, 501, "12345", kExact, false, CopyState::Stale},
        {"older by a nanosecond", 2001, 499, "12345", kExact, false, CopyState::Stale},
        {"older by seconds", 1000, 500, "12345", kExact, false, CopyState::Stale},
        {"newer by an hour", 5601, 500, "12345", kExact, false, CopyState::Stale},
        {"same time, other size", 2001, 500, "1234", kExact, true, CopyState::Stale},
        {"kept by FAT, 2 s grid", 2000, 0, "12345", kFat, true, CopyState::Current},
        {"FAT, 3 s later", 2004, 0, "12345", kFat, false, CopyState::Stale},
        {"FAT, 2 s earlier", 1999, 0, "12345", kFat, false, CopyState::Stale},
        {"FAT, other size", 2000, 0, "123", kFat, true, CopyState::Stale},
        {"far apart, any resolution", 0, 0, "12345", TimeResolution(2000000000000), false,
         CopyState::Stale},
    };
    for (const Case& c : cases) {
        WriteFile(dir / c.Name, c.Bytes);
        SetTime(dir / c.Name, c.Seconds, c.Nanoseconds);
        EXPECT_EQ(CopyStateOf(dir / c.Name, source, c.Resolution), c.State) << c.Name;
        // A picture's size is not its byte size: the caller says whether it fits.
        EXPECT_EQ(UpToDate(StatOf(dir / c.Name), source, c.Resolution, true), c.SameTime)
            << c.Name;
        EXPECT_FALSE(UpToDate(StatOf(dir / c.Name), source, c.Resolution, false)) << c.Name;
    }
    EXPECT_EQ(CopyStateOf(dir / "missing", source, kExact), CopyState::Missing);
    // A link is never a current copy, whatever its or its target's time: the copy
    // replaces the link.
    WriteFile(dir / "copy", "12345");
    SetTime(dir / "copy", 2001, 500);
    ASSERT_EQ(::symlink((dir / "copy").c_str(), (dir / "link").c_str()), 0);
    SetTime(dir / "link", 2001, 500);
    EXPECT_EQ(CopyStateOf(dir / "link", source, kExact), CopyState::Stale);
    ASSERT_EQ(::symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    EXPECT_EQ(CopyStateOf(dir / "dangling", source, kFat), CopyState::Stale);
}

TEST(FileState, SameFileAndSameContentState)
{
    ScratchDir dir;
    WriteFile(dir / "a", "one");
    WriteFile(dir / "b", "one");
    SetTime(dir / "a", 5000, 7);
    SetTime(dir / "b", 5000, 7);
    ASSERT_EQ(::link((dir / "a").c_str(), (dir / "hard").c_str()), 0);
    EXPECT_TRUE(SameFile(StatOf(dir / "a"), StatOf(dir / "hard")));
    EXPECT_FALSE(SameFile(StatOf(dir / "a"), StatOf(dir / "b")));
    // Equal size and times of two files are not one file's state.
    EXPECT_FALSE(SameContentState(StatOf(dir / "a"), StatOf(dir / "b")));

    // One file's state against itself with one field changed.
    struct Change {
        const char* Name;
        void (*Apply)(struct stat& info);
    };
    const Change changes[] = {
        {"size", [](struct stat& info) { --info.st_size; }},
        {"modification time", [](struct stat& info) { ++info.st_mtim.tv_nsec; }},
        // Rewritten in place with its time put back: only the change time shows it.
        {"change time", [](struct stat& info) { ++info.st_ctim.tv_sec; }},
        {"inode", [](struct stat& info) { ++info.st_ino; }},
        {"device", [](struct stat& info) { ++info.st_dev; }},
    };
    const struct stat a = StatOf(dir / "a");
    EXPECT_TRUE(SameContentState(a, StatOf(dir / "hard")));
    for (const Change& change : changes) {
        struct stat changed = a;
        change.Apply(changed);
        EXPECT_FALSE(SameContentState(a, changed)) << change.Name;
    }
}
