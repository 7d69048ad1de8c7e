// SPDX-License-Identifier: MIT
// The run with several workers: the same files and the same first error as one at a time,
// results committed in list order, an abort that leaves nothing of later entries.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"

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

// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderContents(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(folder))
        return files;
    for (const auto& item : fs::directory_iterator(folder))
        files[item.path().filename().string()] = ReadFile(item.path().string());
    return files;
}

// Stops the run (as a closed window does) once the gauge has reached a position.
class AbortingHost : public RecordingHost {
public:
    explicit AbortingHost(int stopAt) : m_stopAt(stopAt) {}
    void ProcessEvents() override
    {
        RecordingHost::ProcessEvents();
        if (!Positions.empty() && Positions.back() == m_stopAt)
            throw EAbort();
    }

private:
    int m_stopAt;
};

class ParallelRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string src = dir / "src";
        fs::create_directory(src);
        auto add = [&](const std::string& name) {
            paths.push_back(src + "/" + name);
            return paths.back();
        };
        WriteJpeg(add("a.jpg"), 640, 480, false, false);
        WriteJpeg(add("b.jpg"), 300, 500, true, false);
        WriteJpeg(add("c.jpeg"), 333, 211, false, true);
        WriteBmp(add("d.bmp"), 120, 90, 0x204080);
        WriteFile(add("e.gif"), "GIF89a not decoded");
        WriteJpeg(add("f.JPG"), 97, 13, true, false);
        WriteBmp(add("g.bmp"), 7, 300, 0xff0000);
        WriteJpeg(add("h.jpg"), 800, 600, false, false);
    }

    GalleryJob Job(const std::string& out) const
    {
        GalleryJob job;
        job.OutputDir = dir / out;
        job.Columns = 3;
        job.MakeSmallImages = true;
        job.ShowFileNames = true;
        job.NumberEntries = true;
        for (const auto& p : paths)
            job.Entries.push_back({p, ""});
        return job;
    }

    // Runs the job and returns the error's message (empty when it succeeded), with the
    // index of the entry it came from.
    static std::string RunWith(const GalleryJob& job, int jobs, RecordingHost& host,
                               int* entry = nullptr)
    {
        try {
            RunGallery(job, host, RunOptions{jobs, false});
        } catch (const Exception& e) {
            if (entry)
                *entry = e.EntryIndex();
            return e.Message();
        }
        return "";
    }

    ScratchDir dir;
    std::vector<std::string> paths;
};

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

namespace {

// --update over the folder of an earlier run: what is up to date stays untouched, the rest
// is redone, and the folder ends as a full run into an empty one would leave it.
class UpdateRun : public ParallelRun {
protected:
    // Runs job into out as an update and expects the files of a full run into an empty folder.
    void ExpectUpdateEqualsFullRun(const GalleryJob& job, int jobs, const std::string& what)
    {
        RecordingHost host;
        RunOptions update{jobs, false};
        update.Update = true;
        RunGallery(job, host, update);
        GalleryJob fresh = job;
        fresh.OutputDir = dir / ("fresh-" + what);
        RecordingHost freshHost;
        RunGallery(fresh, freshHost, RunOptions{jobs, false});
        const auto updated = FolderContents(job.OutputDir), full = FolderContents(fresh.OutputDir);
        EXPECT_EQ(updated.size(), full.size()) << what;
        for (const auto& [name, bytes] : full)
            EXPECT_TRUE(updated.count(name) && updated.at(name) == bytes) << what << ": " << name;
        EXPECT_EQ(host.Skipped.size(), freshHost.Skipped.size()) << what;
    }

    static void SetAge(const std::string& path, std::chrono::hours shift)
    {
        fs::last_write_time(path, fs::file_time_type::clock::now() + shift);
    }

    static std::uintmax_t Inode(const std::string& path)
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }
};

TEST_F(UpdateRun, KeepsWhatIsUpToDateWithoutDecodingIt)
{
    for (int jobs : {1, 8}) {
        const std::string out = "kept" + std::to_string(jobs);
        RecordingHost host;
        ASSERT_EQ(RunWith(Job(out), jobs, host), "");
        const std::uintmax_t small = Inode(dir / (out + "/as.jpg"));
        const std::uintmax_t conversion = Inode(dir / (out + "/d.jpg"));
        const std::uintmax_t copy = Inode(dir / (out + "/e.gif"));
        // A stream damaged after its header, older than its outputs: only headers are read,
        // so nothing changes.
        const auto before = FolderContents(dir / out);
        const std::string h = paths.back();
        WriteFile(h, ReadFile(h).substr(0, 2000));
        SetAge(h, std::chrono::hours(-1));
        RecordingHost again;
        RunOptions update{jobs, false};
        update.Update = true;
        RunGallery(Job(out), again, update);
        EXPECT_TRUE(FolderContents(dir / out) == before);
        EXPECT_TRUE(again.Skipped.empty());
        EXPECT_EQ(Inode(dir / (out + "/as.jpg")), small);
        EXPECT_EQ(Inode(dir / (out + "/d.jpg")), conversion);
        EXPECT_EQ(Inode(dir / (out + "/e.gif")), copy);
    }
}

TEST_F(UpdateRun, RedoesWhatChanged)
{
    struct Change {
        const char* what;
        std::function<void(std::vector<std::string>&, GalleryJob&)> apply;
    };
    const Change changes[] = {
        {"newer-jpeg", [](std::vector<std::string>& p, GalleryJob&) {
             WriteJpeg(p[0], 320, 480);  // same name, other picture, now newer
             SetAge(p[0], std::chrono::hours(1));
         }},
        {"newer-bmp", [](std::vector<std::string>& p, GalleryJob&) {
             WriteBmp(p[3], 60, 90, 0x00ff00);
             SetAge(p[3], std::chrono::hours(1));
         }},
        {"newer-copy", [](std::vector<std::string>& p, GalleryJob&) {
             WriteFile(p[4], "GIF89a other bytes");
             SetAge(p[4], std::chrono::hours(1));
         }},
        {"other-width", [](std::vector<std::string>&, GalleryJob& job) { job.ThumbWidth = 57; }},
        {"baseline-now", [](std::vector<std::string>& p, GalleryJob& job) {
             WriteJpeg(p[1], 300, 500, false);  // was progressive; same size, older
             SetAge(p[1], std::chrono::hours(-1));
             fs::remove(job.OutputDir + "/" + fs::path(p[1]).filename().string());  // its copy
         }},
        {"small-images-gone", [](std::vector<std::string>&, GalleryJob& job) {
             fs::remove(job.OutputDir + "/src-small-images-gone-hs.jpg");
             WriteFile(job.OutputDir + "/src-small-images-gone-as.jpg", "not a JPEG");
         }},
    };
    for (const Change& change : changes) {
        const std::vector<std::string> saved = paths;
        for (std::size_t i = 0; i < paths.size(); ++i) {  // fresh sources for each case
            paths[i] = dir / (std::string("src-") + change.what + "-" + fs::path(saved[i]).filename().string());
            fs::copy_file(saved[i], paths[i]);
            SetAge(paths[i], std::chrono::hours(-2));
        }
        const std::string out = std::string("redo-") + change.what;
        RecordingHost host;
        ASSERT_EQ(RunWith(Job(out), 2, host), "");
        GalleryJob job = Job(out);
        change.apply(paths, job);
        ExpectUpdateEqualsFullRun(job, 2, change.what);
        paths = saved;
    }
}

// A copy target that two same-named files share follows the first of them only.
TEST_F(UpdateRun, ASharedCopyTargetFollowsItsFirstEntry)
{
    fs::create_directory(dir / "other");
    const std::string first = paths[4];
    const std::string second = dir / "other/e.gif";
    WriteFile(second, "GIF89a the second");
    SetAge(first, std::chrono::hours(-2));
    SetAge(second, std::chrono::hours(-2));
    paths.push_back(second);
    RecordingHost host;
    ASSERT_EQ(RunWith(Job("shared"), 2, host), "");
    SetAge(second, std::chrono::hours(1));
    ExpectUpdateEqualsFullRun(Job("shared"), 2, "second-newer");
    EXPECT_EQ(ReadFile(dir / "shared/e.gif"), ReadFile(first));
    WriteFile(first, "GIF89a the first, changed");
    SetAge(first, std::chrono::hours(2));
    ExpectUpdateEqualsFullRun(Job("shared"), 2, "first-newer");
    EXPECT_EQ(ReadFile(dir / "shared/e.gif"), "GIF89a the first, changed");
}

} // namespace
