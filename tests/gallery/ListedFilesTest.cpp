// SPDX-License-Identifier: MIT
// A run never writes a small image, conversion or page over a file it was given.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Job.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

std::string CreateErrorOf(const GalleryJob& job, RunHost& host)
{
    try {
        RunGallery(job, host);
    } catch (const EFCreateError& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(ListedFiles, BmpConversionNeverReplacesAListedJpeg)
{
    ScratchDir dir;
    RecordingHost host;
    WriteJpeg(dir / "p.jpg", 64, 48);
    WriteBmp(dir / "p.bmp", 30, 40);
    const std::string photo = ReadFile(dir / "p.jpg");

    GalleryJob job = JobIn(dir.Path().string(), {dir / "p.jpg", dir / "p.bmp"});
    job.MakeSmallImages = true;
    // p.bmp's small image would share ps.jpg with p.jpg's; refused before anything is written.
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "ps.jpg").Message());
    EXPECT_TRUE(ReadFile(dir / "p.jpg") == photo);  // unchanged
    EXPECT_FALSE(fs::exists(dir / "ps.jpg"));
    EXPECT_FALSE(fs::exists(dir / "index.htm"));

    // Without small images the conversion alone would replace the listed p.jpg.
    job.MakeSmallImages = false;
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "p.jpg").Message());
    EXPECT_TRUE(ReadFile(dir / "p.jpg") == photo);
    EXPECT_EQ(host.BusyDepth, 0);
}

TEST(ListedFiles, SmallImageNeverReplacesAListedFile)
{
    ScratchDir dir;
    RecordingHost host;
    WriteJpeg(dir / "as.jpg", 64, 48);
    WriteJpeg(dir / "a.jpg", 640, 480);
    WriteFile(dir / "b.gif", "GIF89a");
    const std::string listed = ReadFile(dir / "as.jpg");

    // Link mode, output in the pictures' folder: b.gif needs nothing; a.jpg's small image
    // would be the listed as.jpg.
    GalleryJob job = JobIn(dir.Path().string(), {dir / "b.gif", dir / "as.jpg", dir / "a.jpg"});
    job.LinkInPlace = true;
    job.MakeSmallImages = true;
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "as.jpg").Message());
    EXPECT_TRUE(ReadFile(dir / "as.jpg") == listed);  // unchanged
    EXPECT_FALSE(fs::exists(dir / "ass.jpg"));  // refused before anything is written

    // The same file under another name: a hard link in the output folder is refused too.
    fs::create_directories(dir.Path() / "web");
    fs::create_hard_link(dir / "as.jpg", dir / "web/as.jpg");
    job = JobIn(dir / "web", {dir / "as.jpg", dir / "a.jpg"});
    job.LinkInPlace = true;
    job.MakeSmallImages = true;
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "web/as.jpg").Message());
    EXPECT_TRUE(ReadFile(dir / "as.jpg") == listed);  // unchanged
}

TEST(ListedFiles, PageAndBackgroundPictureAreNotReplacedEither)
{
    ScratchDir dir;
    RecordingHost host;
    WriteFile(dir / "index.htm", "old page, listed");
    WriteBmp(dir / "bg.bmp", 8, 8);
    WriteBmp(dir / "bg.jpg.bmp", 8, 8);

    GalleryJob job = JobIn(dir.Path().string(), {dir / "index.htm"});
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "index.htm").Message());
    EXPECT_EQ(ReadFile(dir / "index.htm"), "old page, listed");

    // A small image named like the background picture.
    WriteJpeg(dir / "bgs.jpg", 8, 8);
    job = JobIn(dir / "web", {dir / "bg.bmp"});
    job.LinkInPlace = true;
    job.MakeSmallImages = true;
    job.Style.BackgroundImage = dir / "bgs.jpg";
    fs::create_directories(dir.Path() / "web");
    fs::create_symlink(dir / "bgs.jpg", dir / "web/bgs.jpg");
    const std::string background = ReadFile(dir / "bgs.jpg");
    EXPECT_EQ(CreateErrorOf(job, host), EFCreateError(dir / "web/bgs.jpg").Message());
    EXPECT_TRUE(ReadFile(dir / "bgs.jpg") == background);  // unchanged

    // Files that are not listed are replaced as before.
    job.Style.BackgroundImage.clear();
    EXPECT_EQ(CreateErrorOf(job, host), "no error");
    EXPECT_EQ(JpegSize(dir / "web/bgs.jpg"), std::make_pair(100, 100));
}

TEST(ListedFiles, UpdateNeverReplacesAListedFileOlderThanItsSource)
{
    // src/f.gif is newer than the listed out/f.gif, which its copy would replace.
    struct Case {
        const char* Name;
        bool Background;  // out/f.gif given as the background picture, not as an entry
        bool Link;        // out/f.gif a listed link, older than the file it names
    };
    const Case cases[] = {{"entry", false, false}, {"background", true, false},
                          {"symlink", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ScratchDir dir;
        fs::create_directories(dir / "src");
        fs::create_directories(dir / "out");
        const std::string listed = dir / "out/f.gif";
        if (c.Link) {
            WriteFile(dir / "elsewhere.gif", "the picture the link names");
            fs::create_symlink(dir / "elsewhere.gif", listed);
            const timespec times[2] = {{0, UTIME_OMIT}, {1000, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, listed.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        } else {
            WriteFile(listed, "the listed picture");
            fs::last_write_time(listed, fs::last_write_time(listed) - std::chrono::hours(1));
        }
        WriteFile(dir / "src/f.gif", "the source's picture");
        GalleryJob job = JobIn(dir / "out", {dir / "src/f.gif"});
        if (c.Background)
            job.Style.BackgroundImage = listed;
        else
            job.Entries.push_back({listed, ""});
        RecordingHost host;
        RunGallery(job, host, RunOptions{.Update = true});
        EXPECT_EQ(fs::is_symlink(listed), c.Link);
        EXPECT_EQ(ReadFile(listed), c.Link ? "the picture the link names" : "the listed picture");
        ASSERT_FALSE(host.Reasons.empty());
        EXPECT_EQ(host.Reasons.front(), "コピー先はリストにあるファイルです");  // then the listed file's own copy
    }
}
