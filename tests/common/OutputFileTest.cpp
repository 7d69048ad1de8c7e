// SPDX-License-Identifier: MIT
// Output files: whole or absent, never through a link, copies never replacing, on every
// combination of what a file system may lack.
#include "common/OutputFile.h"
#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/FileSystemCalls.h"
#include "tests/support/Child.h"
#include "tests/support/Files.h"
#include "tests/support/FoldingNames.h"
#include "tests/support/OutputTimes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

int NoUnnamed(const char*, mode_t)
{
    errno = EOPNOTSUPP;
    return -1;
}

int NoProcToLink(int, const char*)
{
    errno = ENOENT;
    return -1;
}

int NoRenameNoReplace(const char*, const char*)
{
    errno = EINVAL;
    return -1;
}

int NoHardLinks(const char*, const char*)
{
    errno = EPERM;
    return -1;
}

// A file system as the writer finds it: which calls fail as unsupported.
struct FileSystem {
    const char* Name;
    bool Unnamed;          // O_TMPFILE
    bool LinkDescriptor;   // naming an unnamed file
    bool RenameNoReplace;
    bool HardLinks;
};

// Takes calls away from the writer for one test and puts them back afterwards.
class FileSystemAs {
public:
    explicit FileSystemAs(const FileSystem& fs) : m_saved(detail::OutputFileCalls())
    {
        detail::FileSystemCalls& calls = detail::OutputFileCalls();
        if (!fs.Unnamed)
            calls.OpenUnnamed = NoUnnamed;
        if (!fs.LinkDescriptor)
            calls.LinkDescriptor = NoProcToLink;
        if (!fs.RenameNoReplace)
            calls.RenameNoReplace = NoRenameNoReplace;
        if (!fs.HardLinks)
            calls.Link = NoHardLinks;
    }
    ~FileSystemAs() { detail::OutputFileCalls() = m_saved; }
    FileSystemAs(const FileSystemAs&) = delete;
    FileSystemAs& operator=(const FileSystemAs&) = delete;

private:
    detail::FileSystemCalls m_saved;
};

const FileSystem kFileSystems[] = {
    {"Full", true, true, true, true},
    {"UnnamedWithoutProc", true, false, true, true},
    {"NamedTemporaries", false, true, true, true},
    {"NoRenameNoReplace", false, true, false, true},
    {"NoHardLinks", false, true, false, false},
};

class OutputFile : public ::testing::TestWithParam<FileSystem> {
protected:
    OutputFile() : m_calls(GetParam()) {}

    FileSystemAs m_calls;
    ScratchDir dir;
};

INSTANTIATE_TEST_SUITE_P(FileSystems, OutputFile, ::testing::ValuesIn(kFileSystems),
                         [](const auto& param) { return std::string(param.param.Name); });

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

TEST_P(OutputFile, WriteReplacesFilesAndLinksItselfWithUsualPermissions)
{
    WriteFileReplacing(dir / "new.htm", std::string_view("page"));
    EXPECT_EQ(ReadFile(dir / "new.htm"), "page");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "new.htm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~CurrentUmask());

    WriteFile(dir / "old.jpg", "old bytes, longer than the new ones");
    WriteFileReplacing(dir / "old.jpg", std::vector<std::uint8_t>{'n', 'e', 'w'});
    EXPECT_EQ(ReadFile(dir / "old.jpg"), "new");

    // A planted link is replaced, its target kept.
    WriteFile(dir / "victim", "keep me");
    fs::create_symlink(dir / "victim", dir / "as.jpg");
    WriteFileReplacing(dir / "as.jpg", std::string_view(""));
    EXPECT_EQ(ReadFile(dir / "victim"), "keep me");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "as.jpg")));
    EXPECT_EQ(fs::file_size(dir / "as.jpg"), 0u);

    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST_P(OutputFile, FailedWriteNamesTheFinalPathAndLeavesNothing)
{
    fs::create_directory(dir / "page.htm");
    try {
        WriteFileReplacing(dir / "page.htm", std::string_view("x"));
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), EFCreateError(dir / "page.htm").Message());
    }
    EXPECT_THROW(WriteFileReplacing(dir / "missing/page.htm", std::string_view("x")),
                 EFCreateError);
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST_P(OutputFile, CopyNeverReplacesAndSaysWhy)
{
    WriteFile(dir / "a", "new");
    WriteFile(dir / "b", "old");
    MessageText reason;
    EXPECT_FALSE(CopyFileNoReplace(dir / "a", dir / "b", &reason));
    EXPECT_EQ(reason.Id, MessageId::TargetExists);
    EXPECT_EQ(ReadFile(dir / "b"), "old");

    // A link at the target counts as existing, also when it dangles.
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    EXPECT_FALSE(CopyFileNoReplace(dir / "a", dir / "dangling", &reason));
    EXPECT_EQ(reason.Id, MessageId::TargetExists);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));

    EXPECT_TRUE(CopyFileNoReplace(dir / "a", dir / "c"));
    EXPECT_EQ(ReadFile(dir / "c"), "new");
    EXPECT_FALSE(CopyFileNoReplace(dir / "missing", dir / "d", &reason));
    EXPECT_EQ(reason, EFOpenError(dir / "missing").Text());

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(CopyFileNoReplace(dir / "pipe", dir / "e", &reason));  // returns at once
    EXPECT_EQ(reason, EFOpenError(dir / "pipe").Text());
    EXPECT_FALSE(fs::exists(dir / "e"));
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST_P(OutputFile, KilledWhileCopyingLeavesNoTargetAndTheNextRunCopiesWhole)
{
    WriteFile(dir / "big", std::string(1 << 20, 'x'));
    ChildResult child = RunWithFileSizeLimit(256 << 10, false, [&] {
        CopyFileNoReplace(dir / "big", dir / "copy");
    });
    ASSERT_FALSE(child.Exited);
    EXPECT_EQ(child.Signal, SIGXFSZ);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "copy")));

    // A named temporary file of the killed writer is free now, so the next sweep takes it.
    RemoveStaleTemporaries(dir.Path());
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
    EXPECT_TRUE(CopyFileNoReplace(dir / "big", dir / "copy"));
    EXPECT_EQ(fs::file_size(dir / "copy"), 1u << 20);
}

TEST_P(OutputFile, WritesCutShortByAFileSizeLimitFailWithoutPartialFiles)
{
    WriteFile(dir / "big", std::string(1 << 20, 'x'));
    WriteFile(dir / "page.htm", "old page");
    ChildResult copy = RunWithFileSizeLimit(64 << 10, true, [&] {
        MessageText reason;
        if (!CopyFileNoReplace(dir / "big", dir / "copy", &reason))
            throw Exception(reason);
    });
    EXPECT_TRUE(copy.Exited);
    EXPECT_EQ(copy.Error, EInOutError::FromErrno(EFBIG).Message());
    EXPECT_FALSE(fs::exists(dir / "copy"));

    ChildResult page = RunWithFileSizeLimit(64 << 10, true, [&] {
        WriteFileReplacing(dir / "page.htm", std::string(1 << 20, 'p'));
    });
    EXPECT_TRUE(page.Exited);
    EXPECT_EQ(page.Error, EFCreateError(dir / "page.htm").Message());
    EXPECT_EQ(ReadFile(dir / "page.htm"), "old page");
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

namespace {

// A close that reports a delayed write error, as network file systems do.
int FailingClose(int fd)
{
    ::close(fd);
    errno = EIO;
    return -1;
}

// An fstat that sees the source shrink between the first call and the next.
int g_fstatCalls = 0;
int ShrinkingFstat(int fd, struct stat* info)
{
    const int result = ::fstat(fd, info);
    if (result == 0 && g_fstatCalls++ > 0)
        info->st_size /= 2;
    return result;
}

} // namespace

TEST_P(OutputFile, AFailedCloseKeepsTheOldFileAndPlacesNothing)
{
    WriteFile(dir / "page.htm", "old page");
    WriteFile(dir / "src", "source");
    {
        const detail::FileSystemCalls saved = detail::OutputFileCalls();
        detail::OutputFileCalls().Close = FailingClose;
        EXPECT_THROW(WriteFileReplacing(dir / "page.htm", std::string_view("new page")),
                     EFCreateError);
        MessageText reason;
        EXPECT_FALSE(CopyFileNoReplace(dir / "src", dir / "copy", &reason));
        EXPECT_EQ(reason, EInOutError::FromErrno(EIO).Text());
        detail::OutputFileCalls() = saved;
    }
    EXPECT_EQ(ReadFile(dir / "page.htm"), "old page");
    EXPECT_FALSE(fs::exists(dir / "copy"));
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

namespace {

int g_syncs = 0;
int CountedSync(int fd)
{
    ++g_syncs;
    return ::fdatasync(fd);
}

int FailingSync(int)
{
    errno = EIO;
    return -1;
}

} // namespace

TEST_P(OutputFile, OnlyAFileReplacingAnotherIsFlushedFirstAndAnExistingCopyTargetIsSeenFirst)
{
    const detail::FileSystemCalls saved = detail::OutputFileCalls();
    detail::FileSystemCalls& calls = detail::OutputFileCalls();
    calls.DataSync = CountedSync;
    g_syncs = 0;
    WriteFileReplacing(dir / "page.htm", std::string_view("first page"));
    EXPECT_EQ(g_syncs, 0);
    WriteFileReplacing(dir / "page.htm", std::string_view("second page"));
    const int flushes = g_syncs;  // twice where an unnamed file is written again, named
    EXPECT_GE(flushes, 1);

    // A flush that fails leaves the old file.
    calls.DataSync = FailingSync;
    EXPECT_THROW(WriteFileReplacing(dir / "page.htm", std::string_view("third")), EFCreateError);
    EXPECT_EQ(ReadFile(dir / "page.htm"), "second page");

    // Onto an existing target, the copy stops before writing anything: it never even
    // looks at its source.
    calls.Fstat = ShrinkingFstat;
    g_fstatCalls = 0;
    WriteFile(dir / "src", "new");
    MessageText reason;
    EXPECT_FALSE(CopyFileNoReplace(dir / "src", dir / "page.htm", &reason));
    EXPECT_EQ(reason.Id, MessageId::TargetExists);
    EXPECT_EQ(g_fstatCalls, 0);
    EXPECT_EQ(g_syncs, flushes);
    detail::OutputFileCalls() = saved;
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST_P(OutputFile, ACopyReadsTheOpenFileWholeOrIsSkipped)
{
    // From the first byte of the file as opened, even when the name now means another file.
    WriteFile(dir / "photo.jpg", "first picture");
    FileHandle opened = OpenRegularFile(dir / "photo.jpg");
    char head[5];
    ASSERT_EQ(::read(opened.Get(), head, sizeof head), 5);
    WriteFile(dir / "other", "second picture");
    fs::rename(dir / "other", dir / "photo.jpg");
    EXPECT_TRUE(CopyFileNoReplace(opened.Get(), dir / "copy"));
    EXPECT_EQ(ReadFile(dir / "copy"), "first picture");

    // A source that changes while it is copied gives no copy, and says why.
    const detail::FileSystemCalls saved = detail::OutputFileCalls();
    detail::OutputFileCalls().Fstat = ShrinkingFstat;
    g_fstatCalls = 0;
    MessageText reason;
    EXPECT_FALSE(CopyFileNoReplace(dir / "photo.jpg", dir / "changed", &reason));
    detail::OutputFileCalls() = saved;
    EXPECT_EQ(reason.Id, MessageId::SourceChanged);
    EXPECT_FALSE(fs::exists(dir / "changed"));
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

namespace {

// Whether every time was set while the final name still held what it held before.
std::string g_finalName;
ino_t g_heldBefore = 0;  // 0: nothing
bool g_setBeforePlaced = true;
int SetTimesBeforePlaced(int fd, const timespec times[2])
{
    struct stat named {};
    const ino_t held = ::lstat(g_finalName.c_str(), &named) == 0 ? named.st_ino : 0;
    g_setBeforePlaced = g_setBeforePlaced && held == g_heldBefore;
    return ::futimens(fd, times);
}

timespec ModifiedOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mtim;
}

// One writer of a race: a small image or a copy of one file, under a name of its own.
struct Racer {
    OutputRole Role;
    const char* Name;
    const char* Bytes;
};

// Puts the racer's output in place; whether it is there now.
bool Place(const ScratchDir& dir, const Racer& racer, std::uint64_t source, PlacedFiles& record)
{
    const FileId file{true, 1, static_cast<ino_t>(source), {}, 0};
    const Placing placing{&record, {racer.Role, file}};
    try {
        if (racer.Role == OutputRole::Copy)
            return CopyFileNoReplace(dir / racer.Bytes, dir / racer.Name, nullptr, {}, placing);
        WriteFileReplacing(dir / racer.Name, std::string_view(racer.Bytes), nullptr, placing);
        return true;
    } catch (const EFCreateError&) {
        return false;
    }
}

} // namespace

// Two writers put different files under names the folder folds together at the same
// moment: one of them wins, the other finds the winner's file and is refused, whichever
// of them checks first. A replacing rename would take the other's file if the check and
// the rename were apart.
TEST_P(OutputFile, OutputsRacingForAFoldedNameLeaveOneWholeWinner)
{
    const Racer pairs[][2] = {
        {{OutputRole::Picture, "as.jpg", "red"}, {OutputRole::Picture, "As.jpg", "blue"}},
        {{OutputRole::Picture, "as.jpg", "red"}, {OutputRole::Copy, "aS.jpg", "blue"}},
        {{OutputRole::Copy, "aS.jpg", "red"}, {OutputRole::Picture, "AS.jpg", "blue"}},
    };
    WriteFile(dir / "red", "red");
    WriteFile(dir / "blue", "blue");
    FoldingNames folding(dir.Path().string());
    for (int round = 0; round < 60; ++round) {
        const Racer(&pair)[2] = pairs[round % 3];
        PlacedFiles record;
        bool won[2] = {false, false};
        std::latch start(2);
        auto race = [&](int i) {
            start.arrive_and_wait();
            won[i] = Place(dir, pair[i], static_cast<std::uint64_t>(i + 1), record);
        };
        std::thread first(race, 0), second(race, 1);
        first.join();
        second.join();
        ASSERT_NE(won[0], won[1]) << round;
        EXPECT_EQ(ReadFile(FoldedPath(dir / "as.jpg")), pair[won[0] ? 0 : 1].Bytes) << round;
        ASSERT_EQ(::unlink(FoldedPath(dir / "as.jpg").c_str()), 0);
    }
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST_P(OutputFile, OutputsHaveTheirSourcesTimeBeforeTheyTakeTheirName)
{
    const timespec sourceTime{1500000001, 123456789};
    WriteFile(dir / "src", "the source");
    const timespec times[2] = {{0, UTIME_OMIT}, sourceTime};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "src").c_str(), times, 0), 0);
    WriteFile(dir / "old copy", "an older copy");
    WriteFile(dir / "old small", "an older small image");
    const FileHandle source = OpenRegularFile(dir / "src");
    struct Case {
        const char* Name;  // the output, "old ..." when it replaces a file
        std::function<bool(const std::string& target)> Write;
    };
    const auto smallImage = [&](const std::string& t) {
        WriteFileReplacing(t, "jpeg", &sourceTime);
        return true;
    };
    const Case cases[] = {
        {"small", smallImage},
        {"old small", smallImage},
        {"copy", [&](const std::string& t) { return CopyFileNoReplace(dir / "src", t); }},
        {"old copy", [&](const std::string& t) { return CopyFileReplacing(source.Get(), t); }},
    };
    const detail::FileSystemCalls saved = detail::OutputFileCalls();
    detail::OutputFileCalls().SetTimes = SetTimesBeforePlaced;
    for (const Case& c : cases) {
        g_finalName = dir / c.Name;
        struct stat before {};
        g_heldBefore = ::lstat(g_finalName.c_str(), &before) == 0 ? before.st_ino : 0;
        g_setBeforePlaced = true;
        EXPECT_TRUE(c.Write(g_finalName)) << c.Name;
        EXPECT_TRUE(g_setBeforePlaced) << c.Name;
        const timespec kept = ModifiedOf(g_finalName);
        EXPECT_TRUE(kept.tv_sec == sourceTime.tv_sec && kept.tv_nsec == sourceTime.tv_nsec)
            << c.Name;
    }
    detail::OutputFileCalls() = saved;

    // Where times cannot be set the file is still written, with the time it gets.
    CoarseOutputTimes failing(TimeResolution(1), TimeKeeping::Failing);
    WriteFileReplacing(dir / "untimed", std::string_view("jpeg"), &sourceTime);
    EXPECT_EQ(ReadFile(dir / "untimed"), "jpeg");
    EXPECT_GT(ModifiedOf(dir / "untimed").tv_sec, sourceTime.tv_sec);
    EXPECT_TRUE(TemporaryFilesIn(dir.Path()).empty());
}

TEST(OutputTimeResolution, IsLearntFromWhatTheFileSystemKeeps)
{
    constexpr std::int64_t kMs = 1000000, kS = 1000000000;
    struct Case {
        const char* Name;
        std::int64_t Step;
        TimeKeeping Keeping;
        std::int64_t Resolution;
    };
    const Case cases[] = {
        {"exact", 1, TimeKeeping::Truncating, 1},
        {"FAT", 2 * kS, TimeKeeping::Truncating, 2 * kS},
        {"FAT rounding", 2 * kS, TimeKeeping::Rounding, 2 * kS},
        {"whole seconds", kS, TimeKeeping::Truncating, kS},
        {"whole seconds rounding", kS, TimeKeeping::Rounding, kS},
        {"exFAT", 10 * kMs, TimeKeeping::Truncating, 10 * kMs},
        {"NTFS", 100, TimeKeeping::Truncating, 100},
        {"microseconds rounding", 1000, TimeKeeping::Rounding, 1000},
        {"no times kept", 1, TimeKeeping::Failing, 1},
    };
    for (const bool unnamed : {true, false}) {
        FileSystemAs files({"", unnamed, unnamed, true, true});
        for (const Case& c : cases) {
            ScratchDir dir;
            CoarseOutputTimes times(TimeResolution(c.Step), c.Keeping);
            EXPECT_EQ(OutputTimeResolution(dir.Path().string()).count(), c.Resolution) << c.Name;
            EXPECT_TRUE(fs::is_empty(dir.Path())) << c.Name;
        }
    }
    // No folder to try in: judged by exact times.
    EXPECT_EQ(OutputTimeResolution("/nonexistent/folder").count(), 1);
}

TEST(OutputFileNames, TemporaryNamesCarryACheckCode)
{
    const std::string name = TemporaryFileName("a1B2c3d4E5f6");
    EXPECT_TRUE(IsTemporaryName(name));
    std::string wrongCode = name;
    wrongCode.back() = wrongCode.back() == '0' ? '1' : '0';
    for (const std::string& other :
         {wrongCode, name.substr(0, name.size() - 1), name + "0", name.substr(1),
          TemporaryFileName("a1B2c3d4E5f"), TemporaryFileName("a1B.c3d4E5f6"),
          std::string(".kameola-a1B2c3"), std::string(".index.htm.a1B2c3")})
        EXPECT_FALSE(IsTemporaryName(other)) << other;
}

TEST(OutputFileNames, LongestNamesWork)
{
    ScratchDir dir;
    const std::string name = std::string(251, 'p') + ".htm";  // 255 bytes, the most there is
    WriteFileReplacing(dir / name, std::string_view("page"));
    EXPECT_EQ(ReadFile(dir / name), "page");
    FileSystemAs named({"", false, false, false, false});
    WriteFileReplacing(dir / name, std::string_view("again"));
    EXPECT_EQ(ReadFile(dir / name), "again");
    WriteFile(dir / "src", "s");
    EXPECT_TRUE(CopyFileNoReplace(dir / "src", dir / (std::string(255, 'c'))));
}

TEST(StaleTemporaries, OnlyFreeLeftoversGo)
{
    ScratchDir dir;
    const std::string stale = TemporaryFileName("Stale1Stale1"), held = TemporaryFileName("Held01Held01");
    const std::string listed = TemporaryFileName("Listed1Listed"), linked = TemporaryFileName("Hard01Hard01");
    WriteFile(dir / stale, "left by a killed run");
    WriteFile(dir / held, "being written by another run");
    WriteFile(dir / listed, "a listed entry with such a name");
    WriteFile(dir / "user-file", "has a second name");
    fs::create_hard_link(dir / "user-file", dir / linked);
    WriteFile(dir / ".kameola-Ab12Cd", "a user's file of the old form");
    WriteFile(dir / ".index.htm.Ab12Cd", "not ours to judge");
    fs::create_directory(dir / TemporaryFileName("Dir001Dir001"));
    WriteFile(dir / "victim", "linked to");
    fs::create_symlink(dir / "victim", dir / TemporaryFileName("Link01Link01"));

    // Another process holds the lock as a writer does until its file is in place.
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open((dir / held).c_str(), O_RDWR);
        const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
        char c = locked ? 'y' : 'n';
        if (::write(ready[1], &c, 1) != 1 || ::read(release[0], &c, 1) < 0)
            ::_exit(1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');

    RemoveStaleTemporaries(dir.Path(), {IdentifyFile(dir / listed)});
    EXPECT_FALSE(fs::exists(dir / stale));
    for (const std::string& kept :
         {held, listed, linked, std::string(".kameola-Ab12Cd"), std::string(".index.htm.Ab12Cd"),
          TemporaryFileName("Dir001Dir001"), TemporaryFileName("Link01Link01")})
        EXPECT_TRUE(fs::exists(fs::symlink_status(dir / kept))) << kept;
    EXPECT_EQ(ReadFile(dir / "victim"), "linked to");

    ASSERT_EQ(::write(release[1], "x", 1), 1);
    ::waitpid(holder, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
    RemoveStaleTemporaries(dir.Path());
    EXPECT_FALSE(fs::exists(dir / held));
}
