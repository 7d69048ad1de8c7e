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

TEST(FileState, CopyStateJudgesTheNameItself)
{
    ScratchDir dir;
    WriteFile(dir / "source", "new");
    SetTime(dir / "source", 2000, 500);
    const struct stat source = StatOf(dir / "source");
    struct Case {
        const char* Name;
        time_t Seconds;
        long Nanoseconds;
        CopyState State;
    };
    const Case cases[] = {
        {"same", 2000, 500, CopyState::Current},
        {"newer", 2001, 0, CopyState::Current},
        {"older by a nanosecond", 2000, 499, CopyState::Stale},
        {"older by seconds", 1000, 900, CopyState::Stale},
    };
    for (const Case& c : cases) {
        WriteFile(dir / c.Name, "copy");
        SetTime(dir / c.Name, c.Seconds, c.Nanoseconds);
        EXPECT_EQ(CopyStateOf(dir / c.Name, source), c.State) << c.Name;
        EXPECT_EQ(Older(StatOf(dir / c.Name), source), c.State == CopyState::Stale) << c.Name;
    }
    EXPECT_EQ(CopyStateOf(dir / "missing", source), CopyState::Missing);
    // A link is judged by its own time, not its target's: the copy replaces the link.
    ASSERT_EQ(::symlink((dir / "newer").c_str(), (dir / "old link").c_str()), 0);
    SetTime(dir / "old link", 1000);
    EXPECT_EQ(CopyStateOf(dir / "old link", source), CopyState::Stale);
    ASSERT_EQ(::symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    SetTime(dir / "dangling", 3000);
    EXPECT_EQ(CopyStateOf(dir / "dangling", source), CopyState::Current);
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
    EXPECT_TRUE(SameContentState(StatOf(dir / "a"), StatOf(dir / "b")));
    WriteFile(dir / "b", "two!");
    SetTime(dir / "b", 5000, 7);
    EXPECT_FALSE(SameContentState(StatOf(dir / "a"), StatOf(dir / "b")));  // size
    WriteFile(dir / "b", "one");
    SetTime(dir / "b", 5000, 8);
    EXPECT_FALSE(SameContentState(StatOf(dir / "a"), StatOf(dir / "b")));  // time
}
