// SPDX-License-Identifier: MIT
// In copy mode a thumbnail names a file the run writes: the small image only for JPEG files.
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

TEST(ThumbnailName, CopyModeShowsOnlyFilesThatExist)
{
    ScratchDir dir;
    WriteFile(dir / "x.jpe", "not opened");
    WriteBmp(dir / "b.jpx.bmp", 40, 30);
    WriteJpeg(dir / "IMG.JPG", 40, 30);

    GalleryJob job;
    job.OutputDir = dir / "web";
    job.MakeSmallImages = true;
    job.Entries = {{dir / "x.jpe", ""}, {dir / "b.jpx.bmp", ""}, {dir / "IMG.JPG", ""}};
    RecordingHost host;
    RunGallery(job, host);

    const std::string page = ReadFile(job.OutputDir + "/index.htm");
    for (const char* name : {"x.jpe", "b.jpx.jpg", "IMGs.jpG"}) {
        EXPECT_NE(page.find("<IMG SRC=\"" + std::string(name) + "\""), std::string::npos) << name;
        EXPECT_TRUE(fs::exists(job.OutputDir + "/" + name)) << name;
    }
    EXPECT_EQ(page.find("s.jp"), page.find("IMGs.jpG") + 3);  // no other small-image name
}
