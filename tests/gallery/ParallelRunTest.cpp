// SPDX-License-Identifier: MIT
// The run with several workers: the same files and the same first error as one at a time,
// results committed in list order, an abort that leaves nothing of later entries.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/SampleRun.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <map>
#include <sys/stat.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

TEST_F(ParallelRun, AnyNumberOfWorkersWritesTheSameFiles)
{
    for (bool link : {false, true}) {
        std::map<std::string, std::string> first;
        for (int jobs : {1, 2, 8}) {
            const std::string out = "out" + std::to_string(jobs) + (link ? "l" : "c");
            GalleryJob job = Job(out);
            job.LinkInPlace = link;
            RecordingHost host;
            ASSERT_EQ(RunWith(job, jobs, host), "");
            std::map<std::string, std::string> files = FolderContents(dir / out);
            EXPECT_EQ(files.count("index.htm"), 1u);
            if (jobs == 1) {
                first = files;
                EXPECT_EQ(files.size(), link ? 8u : 16u);  // link: the page and seven small images
            } else {
                EXPECT_TRUE(files == first) << jobs << " workers, link " << link;
            }
            // The gauge reaches every position, in order.
            EXPECT_EQ(host.Positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        }
    }
}

TEST_F(ParallelRun, ABrokenEntryGivesTheSameErrorAndFilesWithAnyNumberOfWorkers)
{
    // A damaged JPEG in the middle, then one late in the list while earlier entries are
    // still being prepared.
    for (std::size_t broken : {std::size_t{3}, std::size_t{7}}) {
        std::vector<std::string> saved = paths;
        const std::string bad = (dir / "src") + "/broken" + std::to_string(broken) + ".jpg";
        WriteFile(bad, "\xFF\xD8\xFF\xE0 cut short");
        paths[broken] = bad;

        std::string firstError;
        std::map<std::string, std::string> firstFiles;
        for (int jobs : {1, 8}) {
            const std::string out = "bad" + std::to_string(broken) + "-" + std::to_string(jobs);
            RecordingHost host;
            int entry = Exception::kNoEntry;
            const std::string error = RunWith(Job(out), jobs, host, &entry);
            EXPECT_NE(error, "");
            EXPECT_EQ(entry, static_cast<int>(broken));
            std::map<std::string, std::string> files = FolderContents(dir / out);
            EXPECT_EQ(files.count("index.htm"), 0u);
            if (jobs == 1) {
                firstError = error;
                firstFiles = files;
            } else {
                EXPECT_EQ(error, firstError);
                EXPECT_TRUE(files == firstFiles) << "broken entry " << broken;
            }
        }
        paths = saved;
    }
}

TEST_F(ParallelRun, AnAbortLeavesNothingOfLaterEntries)
{
    for (int jobs : {1, 8}) {
        const std::string out = "abort" + std::to_string(jobs);
        AbortingHost host(2);  // stopped when the third entry is due
        EXPECT_THROW(RunGallery(Job(out), host, RunOptions{jobs, false}), EAbort);
        std::map<std::string, std::string> files = FolderContents(dir / out);
        // What the first two entries wrote stays: small images and copies.
        EXPECT_EQ(files.count("as.jpg"), 1u);
        EXPECT_EQ(files.count("a.jpg"), 1u);
        EXPECT_EQ(files.count("bs.jpg"), 1u);
        EXPECT_EQ(files.count("b.jpg"), 1u);
        EXPECT_EQ(files.size(), 4u) << jobs << " workers";
        EXPECT_EQ(host.BusyDepth, 0);
    }
}

} // namespace

// Closing the window during a large copy stops it there: no copy under the target's name,
// and the run ends with EAbort.
TEST(RunAbort, ALargeCopyStopsBetweenItsPieces)
{
    class ClosingHost : public RecordingHost {
    public:
        void KeepResponsive() override
        {
            if (++Pieces == 2)
                throw EAbort();
        }
        int Pieces = 0;
    };
    ScratchDir dir;
    const std::string big = dir / "big.gif";
    WriteFile(big, std::string(std::size_t{40} << 20, 'x'));  // several pieces
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.Entries.push_back({big, ""});
    ClosingHost host;
    EXPECT_THROW(RunGallery(job, host, RunOptions{1, false}), EAbort);
    EXPECT_EQ(host.Pieces, 2);
    EXPECT_FALSE(fs::exists(dir / "web/big.gif"));
    EXPECT_EQ(host.Skipped.size(), 0u);
    for (const auto& item : fs::directory_iterator(dir / "web"))
        ADD_FAILURE() << "left behind: " << item.path();
}

// A window closed while the run waits for an entry being prepared: the run ends with
// EAbort, what was written stays and nothing of that entry or a later one is written.
TEST(RunAbort, ClosedWhileAnEntryIsBeingPrepared)
{
    class ClosingHost : public RecordingHost {
    public:
        void KeepResponsive() override
        {
            ++Waits;
            if (!Positions.empty() && Positions.back() == 1)
                throw EAbort();
        }
        int Waits = 0;
    };
    ScratchDir dir;
    WriteFile(dir / "a.gif", "GIF89a");
    WriteJpeg(dir / "big.jpg", 6000, 4000, true, false);  // slow to decode: progressive
    WriteFile(dir / "c.gif", "GIF89a");
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.MakeSmallImages = true;
    for (const char* name : {"a.gif", "big.jpg", "c.gif"})
        job.Entries.push_back({dir / name, ""});
    ClosingHost host;
    bool aborted = false;
    try {
        RunGallery(job, host, RunOptions{2, false});
    } catch (const EAbort&) {
        aborted = true;
    }
    if (host.Waits == 0)
        GTEST_SKIP() << "the big picture was ready before the run had to wait for it";
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(fs::exists(dir / "web/a.gif"));
    EXPECT_FALSE(fs::exists(dir / "web/bigs.jpg"));
    EXPECT_FALSE(fs::exists(dir / "web/big.jpg"));
    EXPECT_FALSE(fs::exists(dir / "web/c.gif"));
    EXPECT_FALSE(fs::exists(dir / "web/index.htm"));
}
