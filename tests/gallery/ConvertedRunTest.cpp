// SPDX-License-Identifier: MIT
// HEIF and TIFF entries in a run: a conversion and a small image always, the cell showing
// the small image at the upright size, the colour profile in both outputs, their names in
// the plan's clash rules, --update and --keep-going as for BMP entries.
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Heif.h"
#include "tests/support/Tiff.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

class ConvertedRun : public ::testing::Test {
protected:
    ConvertedRun() { fs::create_directories(web); }

    GalleryJob JobWith(std::initializer_list<std::string> paths)
    {
        GalleryJob job;
        job.OutputDir = web;
        job.Columns = 8;
        for (const auto& p : paths)
            job.Entries.push_back({p, ""});
        return job;
    }
    std::vector<std::uint8_t> ProfileOf(const std::string& path)
    {
        TJPEGImage jpeg;
        jpeg.LoadJpegFile(path);
        return jpeg.Data().IccProfile;
    }
    bool PageHas(const std::string& text) { return ReadFile(web + "/index.htm").find(text) != std::string::npos; }

    ScratchDir dir;
    std::string web = dir / "web";
    RecordingHost host;
};

} // namespace

// Without --small: a conversion at full size and a small image for each, the cell showing
// the small image at the upright size and linking the conversion; the original is not
// copied; the profile is in both outputs.
TEST_F(ConvertedRun, CopyModeConvertsAndAlwaysMakesSmallImages)
{
    const std::vector<std::uint8_t> icc = SrgbProfile();
    WriteHeif(dir / "IMG_1.HEIC", {.Width = 64, .Height = 32, .Orientation = 6, .Icc = icc});
    WriteTiff(dir / "scan.tif", {.Width = 40, .Height = 30, .Icc = icc});
    RunGallery(JobWith({dir / "IMG_1.HEIC", dir / "scan.tif"}), host);

    EXPECT_EQ(JpegSize(web + "/IMG_1.jpg"), std::make_pair(32, 64));
    EXPECT_EQ(JpegSize(web + "/IMG_1s.jpg"), std::make_pair(100, 200));
    EXPECT_EQ(JpegSize(web + "/scan.jpg"), std::make_pair(40, 30));
    EXPECT_EQ(JpegSize(web + "/scans.jpg"), std::make_pair(100, 75));
    for (const char* name : {"/IMG_1.jpg", "/IMG_1s.jpg", "/scan.jpg", "/scans.jpg"})
        EXPECT_EQ(ProfileOf(web + name), icc) << name;
    EXPECT_FALSE(fs::exists(web + "/IMG_1.HEIC"));
    EXPECT_FALSE(fs::exists(web + "/scan.tif"));
    EXPECT_TRUE(PageHas("<A HREF=\"IMG_1.jpg\"><IMG SRC=\"IMG_1s.jpg\" WIDTH=100 HEIGHT=200 BORDER=0>"));
    EXPECT_TRUE(PageHas("<A HREF=\"scan.jpg\"><IMG SRC=\"scans.jpg\" WIDTH=100 HEIGHT=75 BORDER=0>"));
}

TEST_F(ConvertedRun, LinkModeShowsTheSmallImageAndLinksTheOriginal)
{
    WriteHeif(dir / "a.heif", {});
    GalleryJob job = JobWith({dir / "a.heif"});
    job.LinkInPlace = true;
    RunGallery(job, host);
    EXPECT_TRUE(PageHas("<A HREF=\"file://" + dir / "a.heif" + "\"><IMG SRC=\"as.jpg\" WIDTH=100 HEIGHT=50"));
    EXPECT_TRUE(fs::exists(web + "/as.jpg"));
    EXPECT_FALSE(fs::exists(web + "/a.jpg"));
}

// IMG_1.HEIC's conversion would take the name of a listed IMG_1.jpg's copy.
TEST_F(ConvertedRun, ConversionClashesWithAListedFileOfItsName)
{
    WriteHeif(dir / "IMG_1.HEIC", {});
    fs::create_directories(dir / "other");
    WriteJpeg(dir / "other/IMG_1.jpg", 8, 8);
    try {
        RunGallery(JobWith({dir / "other/IMG_1.jpg", dir / "IMG_1.HEIC"}), host);
        ADD_FAILURE() << "ran";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), EFCreateError(web + "/IMG_1.jpg").Message());
        EXPECT_EQ(e.EntryIndex(), 1);
    }
}

TEST_F(ConvertedRun, DamagedFilesStopTheRunOrAreLeftOut)
{
    WriteHeif(dir / "good.hif", {});
    WriteFile(dir / "bad.heic", "not a heif file at all");
    WriteFile(dir / "worse.tiff", "II*\0junk");
    RunOptions keepGoing;
    keepGoing.KeepGoing = true;
    RunGallery(JobWith({dir / "bad.heic", dir / "good.hif", dir / "worse.tiff"}), host, keepGoing);
    ASSERT_EQ(host.Failures.size(), 2u);
    EXPECT_EQ(host.Failures[0].rfind(dir / "bad.heic: HEIF エラー (", 0), 0u) << host.Failures[0];
    EXPECT_EQ(host.Failures[1].rfind(dir / "worse.tiff: TIFF エラー (", 0), 0u) << host.Failures[1];
    EXPECT_TRUE(fs::exists(web + "/goods.jpg"));
    EXPECT_FALSE(PageHas("bad"));
    EXPECT_FALSE(PageHas("worse"));
    EXPECT_THROW(RunGallery(JobWith({dir / "bad.heic"}), host), EPictureError);
}

// Outputs that are up to date stay untouched; a changed source is converted again.
TEST_F(ConvertedRun, UpdateKeepsWhatIsUpToDate)
{
    WriteHeif(dir / "a.heic", {.Orientation = 8});
    WriteTiff(dir / "b.tif", {});
    const GalleryJob job = JobWith({dir / "a.heic", dir / "b.tif"});
    RunGallery(job, host);
    const auto before = fs::last_write_time(web + "/as.jpg");
    const auto tiffBefore = fs::last_write_time(web + "/b.jpg");
    WriteTiff(dir / "b.tif", {.Width = 20, .Height = 20});
    fs::last_write_time(dir / "b.tif", tiffBefore + std::chrono::seconds(5));
    RunOptions update;
    update.Update = true;
    RunGallery(job, host, update);
    EXPECT_EQ(fs::last_write_time(web + "/as.jpg"), before);
    EXPECT_EQ(JpegSize(web + "/b.jpg"), std::make_pair(20, 20));
    EXPECT_TRUE(PageHas("<IMG SRC=\"as.jpg\" WIDTH=100 HEIGHT=200"));
}
