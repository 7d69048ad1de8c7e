// SPDX-License-Identifier: MIT
// How the run writes its files: never through a planted link, never cut short, no
// leftovers, entries that stopped being regular files, copies only of the file read.
#include "common/Errors.h"
#include "common/FileSystemCalls.h"
#include "common/OutputFile.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Job.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

class RunOutput : public ::testing::Test {
protected:
    RunOutput() { fs::create_directories(web); }

    GalleryJob JobWith(std::initializer_list<std::string> paths) { return JobIn(web, paths); }

    // Runs the job in a child whose files may not grow past limit bytes, with SIGXFSZ
    // ignored so that the write fails instead; returns the error that stopped the run.
    std::string RunLimited(const GalleryJob& job, std::size_t limit)
    {
        ChildResult child = RunWithFileSizeLimit(limit, true, [&] {
            RecordingHost childHost;
            RunGallery(job, childHost);
            if (!childHost.Reasons.empty())
                throw Exception({MessageId::Verbatim, {"skipped: " + childHost.Reasons[0]}});
        });
        EXPECT_TRUE(child.Exited);
        return child.Error;
    }

    ScratchDir dir;
    std::string web = dir / "web";
    RecordingHost host;
};

} // namespace

TEST_F(RunOutput, PlantedLinksAreReplacedNotFollowed)
{
    WriteJpeg(dir / "a.jpg", 64, 48);
    WriteBmp(dir / "p.bmp", 40, 30);
    WriteFile(dir / "victim1", "first target");
    WriteFile(dir / "victim2", "second target");
    WriteFile(dir / "victim3", "third target");
    fs::create_symlink(dir / "victim1", web + "/as.jpg");
    fs::create_symlink(dir / "victim2", web + "/p.jpg");
    fs::create_symlink(dir / "victim3", web + "/ps.jpg");

    GalleryJob job = JobWith({dir / "a.jpg", dir / "p.bmp"});
    job.MakeSmallImages = true;
    job.LinkInPlace = false;
    RunGallery(job, host);

    EXPECT_EQ(ReadFile(dir / "victim1"), "first target");
    EXPECT_EQ(ReadFile(dir / "victim2"), "second target");
    EXPECT_EQ(ReadFile(dir / "victim3"), "third target");
    for (const char* name : {"/as.jpg", "/p.jpg", "/ps.jpg"})
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(web + name))) << name;
    EXPECT_EQ(JpegSize(web + "/as.jpg"), std::make_pair(100, 75));
    EXPECT_EQ(JpegSize(web + "/p.jpg"), std::make_pair(40, 30));
}

TEST_F(RunOutput, EntryTurnedIntoAPipeStopsOrIsSkippedWithoutHanging)
{
    // The list was made from regular files; by the time of the run each is a pipe.
    WriteJpeg(dir / "a.jpg", 16, 16);
    WriteBmp(dir / "b.bmp", 16, 16);
    WriteFile(dir / "c.gif", "GIF89a");
    for (const char* name : {"a.jpg", "b.bmp", "c.gif"}) {
        fs::remove(dir / name);
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
    }

    for (const std::string& path : {dir / "a.jpg", dir / "b.bmp"}) {
        try {
            RunGallery(JobWith({path}), host);
            ADD_FAILURE() << path;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), EFOpenError(path).Message());
        }
    }

    // A file that is only copied is skipped with the reason, and the run goes on.
    GalleryJob job = JobWith({dir / "c.gif"});
    RunGallery(job, host);
    ASSERT_EQ(host.Reasons.size(), 1u);
    EXPECT_EQ(host.Reasons[0], EFOpenError(dir / "c.gif").Message());
    EXPECT_FALSE(fs::exists(web + "/c.gif"));
    EXPECT_TRUE(fs::exists(web + "/index.htm"));
}

TEST_F(RunOutput, WritesCutShortFailWithTheFinalPathAndLeaveNoPartialFile)
{
    // Each file below is larger than the limit; everything written before it is smaller.
    const std::size_t limit = 1000;
    std::vector<std::string> gifs;
    for (int i = 0; i < 12; ++i) {
        gifs.push_back(dir / ("g" + std::to_string(i) + ".gif"));
        WriteFile(gifs.back(), "GIF89a");
    }
    GalleryJob pageJob = JobWith({});
    for (const auto& g : gifs)
        pageJob.Entries.push_back({g, ""});
    WriteFile(web + "/index.htm", "old page");
    EXPECT_EQ(RunLimited(pageJob, limit), EFCreateError(web + "/index.htm").Message());
    EXPECT_EQ(ReadFile(web + "/index.htm"), "old page");

    WriteJpeg(dir / "a.jpg", 640, 480);
    GalleryJob smallJob = JobWith({dir / "a.jpg"});
    smallJob.MakeSmallImages = true;
    smallJob.LinkInPlace = true;
    WriteFile(web + "/as.jpg", "old small image");
    EXPECT_EQ(RunLimited(smallJob, limit), EFCreateError(web + "/as.jpg").Message());
    EXPECT_EQ(ReadFile(web + "/as.jpg"), "old small image");

    WriteBmp(dir / "p.bmp", 1000, 1000);
    EXPECT_EQ(RunLimited(JobWith({dir / "p.bmp"}), 4096),
              EFCreateError(web + "/p.jpg").Message());
    EXPECT_FALSE(fs::exists(web + "/p.jpg"));

    WriteFile(dir / "big.gif", std::string(64 << 10, 'g'));
    EXPECT_EQ(RunLimited(JobWith({dir / "big.gif"}), 4096),
              "skipped: " + EInOutError::FromErrno(EFBIG).Message());
    EXPECT_FALSE(fs::exists(web + "/big.gif"));

    EXPECT_TRUE(TemporaryFilesIn(web).empty());
}

TEST_F(RunOutput, StaleTemporaryFilesGoButListedFilesStayAndLongPageNamesWork)
{
    const std::string stale = TemporaryFileName("Ab12Cd34Ef56");
    const std::string entry = TemporaryFileName("Gh78Ij90Kl12");
    WriteFile(web + "/" + stale, "left by a killed run");
    WriteFile(web + "/" + entry, "GIF89a listed");
    WriteFile(dir / "a.gif", "GIF89a");
    GalleryJob job = JobWith({dir / "a.gif", web + "/" + entry});
    job.PageName = std::string(251, 'n') + ".htm";
    job.LinkInPlace = true;  // the entry is only read
    RunGallery(job, host);
    EXPECT_FALSE(fs::exists(web + "/" + stale));
    EXPECT_EQ(ReadFile(web + "/" + entry), "GIF89a listed");
    EXPECT_EQ(ReadFile(web + "/" + job.PageName).substr(0, 12), "<HTML><HEAD>");
}

namespace {

// Changes the file at g_changedPath, once, when a copy first looks at it: after its entry
// was prepared (and its small image made), before its copy reads it.
std::string g_changedPath;
std::function<void(const std::string&)> g_change;
int ChangingFstat(int fd, struct stat* info)
{
    struct stat opened {}, named {};
    if (g_change && ::fstat(fd, &opened) == 0 && ::stat(g_changedPath.c_str(), &named) == 0 &&
        opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
        g_change(g_changedPath);
        g_change = nullptr;
    }
    return ::fstat(fd, info);
}

} // namespace

TEST_F(RunOutput, ACopyIsOnlyOfTheFileItsEntryWasPreparedFrom)
{
    struct Change {
        const char* Name;
        const char* Entry;
        std::function<void(const std::string&)> Apply;
    };
    const Change changes[] = {
        {"picture cut in place", "a.jpg",
         [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 700), 0); }},
        {"other file cut in place", "e.gif",
         [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 3), 0); }},
        {"rewritten at its size", "e.gif", [](const std::string& path) {
             const int fd = ::open(path.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, "XYZ", 3, 0), 3);
             ::close(fd);
         }},
    };
    const detail::FileSystemCalls saved = detail::OutputFileCalls();
    for (const Change& change : changes) {
        for (const bool update : {false, true}) {
            for (const int jobs : {1, 3}) {
                const std::string what = std::string(change.Name) + (update ? ", update, " : ", ") +
                                         std::to_string(jobs) + " jobs";
                SCOPED_TRACE(what);
                const std::string src = dir / what;
                fs::create_directories(src);
                WriteJpeg(src + "/a.jpg", 64, 48);
                WriteFile(src + "/e.gif", "GIF89a the whole file");
                for (const char* name : {"/a.jpg", "/e.gif"}) {  // so that any write shows
                    const std::string path = src + name;
                    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
                }
                GalleryJob job = JobIn(dir / ("web " + what), {src + "/a.jpg", src + "/e.gif"});
                job.MakeSmallImages = true;
                // An update would replace this copy; a plain run makes a new one.
                const std::string copy = job.OutputDir + "/" + change.Entry;
                if (update) {
                    fs::create_directories(job.OutputDir);
                    WriteFile(copy, "an older copy");
                }
                g_changedPath = src + "/" + change.Entry;
                g_change = change.Apply;
                detail::OutputFileCalls().Fstat = ChangingFstat;
                RecordingHost run;
                RunOptions options{jobs, false};
                options.Update = update;
                EXPECT_EQ(RunGallery(job, run, options), RunOutcome::Done);
                detail::OutputFileCalls() = saved;
                EXPECT_FALSE(g_change);  // the change was made
                ASSERT_EQ(run.Reasons.size(), 1u);
                EXPECT_EQ(run.Reasons[0], TextsOf(MessageId::SourceChanged).Japanese);
                EXPECT_EQ(fs::exists(copy) ? ReadFile(copy) : "none",
                          update ? "an older copy" : "none");
                EXPECT_EQ(JpegSize(job.OutputDir + "/as.jpg"), std::make_pair(100, 75));
                EXPECT_TRUE(fs::exists(job.OutputDir + "/index.htm"));
                EXPECT_TRUE(TemporaryFilesIn(job.OutputDir).empty());
            }
        }
    }
}
