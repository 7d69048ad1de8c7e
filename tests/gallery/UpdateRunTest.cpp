// SPDX-License-Identifier: MIT
// --update over the folder of an earlier run.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/SampleRun.h"
#include "tests/support/WebPictures.h"

#include <algorithm>
#include <filesystem>
#include <functional>
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
        {"older-damaged-after-header", [&png](const std::string& path, GalleryJob&) {
             const std::string idat = "IDAT";  // cut right after the image data's chunk type
             const auto at = std::search(png.begin(), png.end(), idat.begin(), idat.end());
             WriteBytes(path, Bytes(png.begin(), at + 4));
             SetAge(path, std::chrono::hours(-1));
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
        const auto before = FolderContents(job.OutputDir);
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
