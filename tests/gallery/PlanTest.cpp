// SPDX-License-Identifier: MIT
// One output file serves one picture: outputs of different files that would share a name
// stop the run before anything is written, or leave the later entry out with keep-going.
#include "common/Errors.h"
#include "gallery/Plan.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/WebPictures.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

struct ClashCase {
    const char* Name;
    std::vector<std::string> Entries;  // under the scratch folder; ".jpg"/".bmp" are pictures
    bool Small;
    std::string Background;  // under the scratch folder; empty for none
    std::string Clash;       // the clashing output's name in the output folder
    int Index;               // the later entry
    // With keep-going: the JPEG size of what stands under the clashing name (the earlier
    // output), when the two would differ.
    std::pair<int, int> Kept;
};

const ClashCase kClashes[] = {
    {"SmallImageOverCopy", {"photos.jpg", "photo.jpg"}, true, "", "photos.jpg", 1, {64, 48}},
    {"CopyOverSmallImage", {"photo.jpg", "photos.jpg"}, true, "", "photos.jpg", 1, {100, 75}},
    {"SmallImageOverConversion", {"ps.bmp", "p.jpg"}, true, "", "ps.jpg", 1, {40, 30}},
    {"ConversionOverSmallImage", {"p.jpg", "ps.bmp"}, true, "", "ps.jpg", 1, {100, 75}},
    {"SameNamesFromTwoFolders", {"a/x.jpg", "b/x.jpg"}, true, "", "xs.jpg", 1, {}},
    {"ConversionOverBackgroundCopy", {"a.gif", "bg.bmp"}, false, "bg.jpg", "bg.jpg", 1, {8, 8}},
    {"CopyUnderThePageName", {"a.gif", "index.htm"}, false, "", "index.htm", 1, {}},
    // Told apart by their paths, without being read: no open error comes first.
    {"TwoMissingFiles", {"a/gone.jpg", "b/gone.jpg"}, true, "", "gones.jpg", 1, {}},
};

class Clash : public ::testing::TestWithParam<ClashCase> {
protected:
    GalleryJob Job()
    {
        const ClashCase& c = GetParam();
        GalleryJob job;
        job.OutputDir = dir / "web";
        job.MakeSmallImages = c.Small;
        for (const std::string& name : c.Entries) {
            const std::string path = dir / name;
            fs::create_directories(fs::path(path).parent_path());
            if (name.find("gone") != std::string::npos)
                ;  // left missing
            else if (name.ends_with(".jpg"))
                WriteJpeg(path, 64, 48);
            else if (name.ends_with(".bmp"))
                WriteBmp(path, 40, 30);
            else
                WriteFile(path, "GIF89a " + name);
            job.Entries.push_back({path, ""});
        }
        if (!c.Background.empty()) {
            job.Style.BackgroundImage = dir / c.Background;
            WriteJpeg(job.Style.BackgroundImage, 8, 8);
        }
        return job;
    }

    ScratchDir dir;
    RecordingHost host;
};

} // namespace

TEST_P(Clash, StopsTheRunBeforeAnythingIsWritten)
{
    const ClashCase& c = GetParam();
    const GalleryJob job = Job();
    const std::string clash = job.OutputDir + "/" + c.Clash;
    for (const int jobs : {1, 3}) {
        try {
            RunGallery(job, host, {.Jobs = jobs});
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), EFCreateError(clash).Message());
            EXPECT_EQ(e.EntryIndex(), c.Index);
        }
        EXPECT_TRUE(fs::is_empty(job.OutputDir));
        EXPECT_EQ(host.BusyDepth, 0);
    }
}

TEST_P(Clash, KeepGoingLeavesTheLaterEntryOut)
{
    const ClashCase& c = GetParam();
    const GalleryJob job = Job();
    RunGallery(job, host, {.KeepGoing = true});
    const std::string later = job.Entries[static_cast<std::size_t>(c.Index)].Path;
    ASSERT_FALSE(host.Failures.empty());
    EXPECT_EQ(host.Failures.back(),
              later + ": " + EFCreateError(job.OutputDir + "/" + c.Clash).Message());
    const std::string page = ReadFile(job.OutputDir + "/index.htm");
    std::size_t cells = 0;
    for (std::size_t at = page.find("<TD>"); at != std::string::npos; at = page.find("<TD>", at + 1))
        ++cells;
    EXPECT_EQ(cells, job.Entries.size() - host.Failures.size());
    if (c.Kept.first != 0) {
        EXPECT_EQ(JpegSize(job.OutputDir + "/" + c.Clash), c.Kept);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, Clash, ::testing::ValuesIn(kClashes),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(Plan, SameFileTwiceAndCopiesOfSameNamesDoNotClash)
{
    ScratchDir dir;
    RecordingHost host;
    fs::create_directories(dir.Path() / "a");
    fs::create_directories(dir.Path() / "b");
    WriteJpeg(dir / "x.jpg", 64, 48);
    WriteFile(dir / "a/s.gif", "first");
    WriteFile(dir / "b/s.gif", "second");
    fs::create_symlink(dir / "x.jpg", dir / "b/x.jpg");  // the same file by another path
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.MakeSmallImages = true;
    for (const char* name : {"x.jpg", "a/s.gif", "b/x.jpg", "b/s.gif"})
        job.Entries.push_back({dir / name, ""});
    RunGallery(job, host);
    const std::string page = ReadFile(job.OutputDir + "/index.htm");
    const std::string photo = "<A HREF=\"x.jpg\"><IMG SRC=\"xs.jpg\" WIDTH=100 HEIGHT=75 ";
    EXPECT_NE(page.find(photo), page.rfind(photo));  // two identical cells
    EXPECT_EQ(ReadFile(job.OutputDir + "/s.gif"), "first");  // the first copy is kept
    EXPECT_EQ(host.Skipped.size(), 2u);
}

TEST(Plan, SmallWebImagesHaveNamesOfTheirOwn)
{
    ScratchDir dir;
    RecordingHost host;
    PngShape png;
    png.Samples = {1, 2, 3};
    WriteBytes(dir / "a.png", EncodePng(png));
    WriteJpeg(dir / "a.jpg", 64, 48);
    WriteJpeg(dir / "as.png.jpg", 64, 48);  // a listed file under the small image's name
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.MakeSmallImages = true;
    job.SmallWebImages = true;
    job.Entries = {{dir / "a.jpg", ""}, {dir / "a.png", ""}};
    const RunPlan plan = PlanRun(job, false);
    EXPECT_EQ(plan.Entries[0].SmallImage, job.OutputDir + "/as.jpg");
    EXPECT_EQ(plan.Entries[1].SmallImage, job.OutputDir + "/as.png.jpg");
    EXPECT_EQ(plan.Entries[1].CopyTarget, job.OutputDir + "/a.png");
    EXPECT_EQ(plan.Entries[1].Picture, "as.png.jpg");
    EXPECT_EQ(plan.Entries[1].Link, "a.png");
    job.Entries.push_back({dir / "as.png.jpg", ""});
    try {
        PlanRun(job, false);
        ADD_FAILURE() << "no clash";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), EFCreateError(job.OutputDir + "/as.png.jpg").Message());
        EXPECT_EQ(e.EntryIndex(), 2);
    }
    // Without the option the picture keeps the other class's cell.
    job.SmallWebImages = false;
    const RunPlan plain = PlanRun(job, false);
    EXPECT_EQ(plain.Entries[1].SmallImage, "");
    EXPECT_EQ(plain.Entries[1].Picture, "a.png");
}
