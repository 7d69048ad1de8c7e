// SPDX-License-Identifier: MIT
// --update over the folder of an earlier run.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/SampleRun.h"
#include "tests/support/OutputTimes.h"
#include "tests/support/WebPictures.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <chrono>
#include <map>
#include <sys/stat.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

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

    // The inode of every output in the folder but the page, which is always written.
    static std::map<std::string, std::uintmax_t> OutputInodes(const std::string& folder)
    {
        std::map<std::string, std::uintmax_t> inodes;
        for (const auto& [name, bytes] : FolderContents(folder)) {
            if (name != "index.htm")
                inodes[name] = Inode(folder + "/" + name);
        }
        return inodes;
    }

    // The sample's files copied into a folder of their own, two hours old.
    std::vector<std::string> SourcesIn(const std::string& folder) const
    {
        fs::create_directory(dir.Path() / folder);
        std::vector<std::string> copies;
        for (const std::string& path : paths) {
            copies.push_back((dir.Path() / folder / fs::path(path).filename()).string());
            fs::copy_file(path, copies.back());
            SetAge(copies.back(), std::chrono::hours(-2));
        }
        return copies;
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
        // A stream damaged after its header, its time put back: only headers are read, so
        // only its copy, now of another size, changes.
        auto before = FolderContents(dir / out);
        const std::string h = paths.back();
        const auto time = fs::last_write_time(h);
        WriteFile(h, ReadFile(h).substr(0, 2000));
        fs::last_write_time(h, time);
        before["h.jpg"] = ReadFile(h);
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
             const auto time = fs::last_write_time(p[1]);
             WriteJpeg(p[1], 300, 500, false);  // was progressive; same size and time
             fs::last_write_time(p[1], time);
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

// One case of the up-to-date rule: how the sources or outputs change after a first run,
// and which outputs an update then writes again.
struct RuleCase {
    const char* What;
    bool Fat;  // outputs keep times in steps of 2 s, as on FAT
    std::function<void(const std::vector<std::string>& sources, const std::string& out)> Change;
    std::vector<std::string> Redone;  // every other output keeps its inode
};

const std::vector<std::string> kEveryOutput = {
    "a.jpg", "as.jpg", "b.jpg", "bs.jpg", "c.jpeg", "cs.jpeg", "d.jpg", "ds.jpg",
    "e.gif", "f.JPG", "fs.jpG", "g.jpg", "gs.jpg", "h.jpg", "hs.jpg"};

class UpToDateRule : public UpdateRun {
protected:
    // Runs the case's first run, its change and two updates: the first redoes exactly the
    // case's outputs, the second nothing.
    void Check(const RuleCase& c)
    {
        SCOPED_TRACE(c.What);
        std::optional<CoarseOutputTimes> fat;
        if (c.Fat)
            fat.emplace(std::chrono::seconds(2));
        const std::string out = dir / (std::string("rule ") + c.What);
        const std::vector<std::string> saved = paths;
        paths = SourcesIn(std::string("sources ") + c.What);
        RecordingHost host;
        ASSERT_EQ(RunWith(Job(out), 2, host), "");
        std::vector<std::string> written;
        for (const auto& [name, inode] : OutputInodes(out))
            written.push_back(name);
        ASSERT_EQ(written, kEveryOutput);
        c.Change(paths, out);
        const auto before = OutputInodes(out);
        ExpectUpdateEqualsFullRun(Job(out), 2, c.What);
        const auto after = OutputInodes(out);
        for (const std::string& name : kEveryOutput) {
            const bool redone = std::find(c.Redone.begin(), c.Redone.end(), name) != c.Redone.end();
            EXPECT_EQ(after.at(name) != before.at(name), redone) << name;
        }
        // Redone once: what the update wrote is up to date for the next one.
        ExpectUpdateEqualsFullRun(Job(out), 2, c.What + std::string(" again"));
        EXPECT_TRUE(OutputInodes(out) == after);
        paths = saved;
    }

    static void KeepingTime(const std::string& path, const std::function<void()>& change)
    {
        const auto time = fs::last_write_time(path);
        change();
        fs::last_write_time(path, time);
    }
};

// An output is up to date when it has its source's time, to the output folder's
// resolution, and the size this run would write; the update redoes the others once.
TEST_F(UpToDateRule, RedoesExactlyTheOutputsThatAreNotUpToDate)
{
    using Sources = std::vector<std::string>;
    const RuleCase cases[] = {
        {"unchanged", false, [](const Sources&, const std::string&) {}, {}},
        {"source newer", false, [](const Sources& p, const std::string&) {
             WriteJpeg(p[0], 320, 480);
             SetAge(p[0], std::chrono::hours(1));
         }, {"a.jpg", "as.jpg"}},
        // Restored with cp -p: an older file with an older time than the outputs'.
        {"source older", false, [](const Sources& p, const std::string&) {
             WriteJpeg(p[0], 320, 480);
             SetAge(p[0], std::chrono::hours(-3));
         }, {"a.jpg", "as.jpg"}},
        {"same time, other bytes", false, [](const Sources& p, const std::string&) {
             KeepingTime(p[4], [&] { WriteFile(p[4], "GIF89a, other bytes"); });
         }, {"e.gif"}},
        {"same time, other pixels", false, [](const Sources& p, const std::string&) {
             KeepingTime(p[3], [&] { WriteBmp(p[3], 60, 90, 0x00ff00); });
         }, {"d.jpg", "ds.jpg"}},
        // Written by a version that gave outputs the time they were written.
        {"older version", false, [](const Sources&, const std::string& out) {
             for (const std::string& name : kEveryOutput)
                 SetAge(out + "/" + name, std::chrono::hours(0));
         }, kEveryOutput},
        {"FAT, unchanged", true, [](const Sources&, const std::string&) {}, {}},
        {"FAT, 3 s later", true, [](const Sources& p, const std::string&) {
             fs::last_write_time(p[4], fs::last_write_time(p[4]) + std::chrono::seconds(3));
         }, {"e.gif"}},
    };
    for (const RuleCase& c : cases)
        Check(c);
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

// The small images made on request of browser-shown pictures are kept as the others are:
// sized from the file's header alone, remade when the source or the job changed.
TEST_F(UpdateRun, SmallWebImagesFollowTheSameRule)
{
    struct Row {
        const char* what;
        std::function<void(const std::string& png, GalleryJob&)> change;
        bool kept;
    };
    PngShape shape;
    shape.Width = 40;
    shape.Height = 30;
    shape.Samples.assign(40 * 30 * 3, 0x60);
    shape.Exif = TiffOrientationBlock(6);  // kept by its upright size, 100 × 133
    const Bytes png = EncodePng(shape);
    const Row rows[] = {
        {"untouched", [](const std::string&, GalleryJob&) {}, true},
        // Its copy, now of another size, is redone; the small image is not: only the
        // header is read.
        {"damaged-after-header-time-put-back", [&png](const std::string& path, GalleryJob&) {
             const auto time = fs::last_write_time(path);
             const std::string idat = "IDAT";  // cut right after the image data's chunk type
             const auto at = std::search(png.begin(), png.end(), idat.begin(), idat.end());
             WriteBytes(path, Bytes(png.begin(), at + 4));
             fs::last_write_time(path, time);
         }, true},
        {"newer", [](const std::string& path, GalleryJob&) {
             SetAge(path, std::chrono::hours(1));
         }, false},
        {"other-width", [](const std::string&, GalleryJob& job) { job.ThumbWidth = 57; }, false},
        {"small-image-not-a-jpeg", [](const std::string&, GalleryJob& job) {
             WriteFile(job.OutputDir + "/as.png.jpg", "not a JPEG");
         }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string src = dir / (std::string("web-src-") + row.what);
        fs::create_directory(src);
        WriteBytes(src + "/a.png", png);
        WriteBytes(src + "/b.webp", EncodeWebp(Halves(8, 6, {255, 0, 0, 128}, {0, 0, 255})));
        for (const char* name : {"/a.png", "/b.webp"})
            SetAge(src + name, std::chrono::hours(-2));
        GalleryJob job = JobIn(dir / (std::string("web-") + row.what), {});
        job.SmallWebImages = true;
        job.Entries = {{src + "/a.png", ""}, {src + "/b.webp", ""}};
        RecordingHost host;
        ASSERT_EQ(RunWith(job, 2, host), "");
        const std::uintmax_t small = Inode(job.OutputDir + "/as.png.jpg");
        row.change(src + "/a.png", job);
        if (!row.kept) {
            ExpectUpdateEqualsFullRun(job, 2, row.what);
            continue;
        }
        auto before = FolderContents(job.OutputDir);
        before["a.png"] = ReadFile(src + "/a.png");
        RecordingHost again;
        RunOptions update{2, false};
        update.Update = true;
        RunGallery(job, again, update);
        EXPECT_TRUE(FolderContents(job.OutputDir) == before);
        EXPECT_EQ(Inode(job.OutputDir + "/as.png.jpg"), small);
        EXPECT_NE(ReadFile(job.OutputDir + "/index.htm").find("HEIGHT=133"), std::string::npos);
    }
}

} // namespace
