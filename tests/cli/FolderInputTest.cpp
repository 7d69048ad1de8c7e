// SPDX-License-Identifier: MIT
// Folders named as FILEs, and the order of the whole list: one tree, one table.
#include "cli/FolderInput.h"
#include "cli/ListOrder.h"
#include "tests/support/Exif.h"
#include "tests/support/Files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// pics/          IMG_10.jpg IMG_2.JPG b.Tiff a.heic notes.txt .hidden.jpg noext
//                link.jpg -> IMG_2.JPG, gone.jpg -> nothing, loop -> ., .dot/ x.jpg
//   pics/sub2/   z.png
//   pics/sub10/  y.webp   deep/ w.gif
//   pics/Sub/    v.bmp
// empty/         only.txt
// single.txt
void MakeTree(const ScratchDir& dir)
{
    for (const char* folder : {"pics/sub2", "pics/sub10/deep", "pics/Sub", "pics/.dot", "empty"})
        fs::create_directories(dir / folder);
    for (const char* file : {"pics/IMG_10.jpg", "pics/IMG_2.JPG", "pics/b.Tiff", "pics/a.heic",
                             "pics/notes.txt", "pics/.hidden.jpg", "pics/noext", "pics/.dot/x.jpg",
                             "pics/sub2/z.png", "pics/sub10/y.webp", "pics/sub10/deep/w.gif",
                             "pics/Sub/v.bmp", "empty/only.txt", "single.txt"})
        WriteFile(dir / file, file);
    fs::create_symlink("IMG_2.JPG", dir / "pics/link.jpg");
    fs::create_symlink("nothing.jpg", dir / "pics/gone.jpg");
    fs::create_symlink(".", dir / "pics/loop");
    fs::create_symlink("pics", dir / "pics-link");
}

std::string Relative(const ScratchDir& dir, const std::vector<std::string>& files)
{
    std::string text;
    const std::string root = dir.Path().string() + "/";
    for (const std::string& file : files)
        text += (text.empty() ? "" : " ") + (file.rfind(root, 0) == 0 ? file.substr(root.size()) : file);
    return text;
}

} // namespace

TEST(FolderInputTest, FoldersAndOrders)
{
    ScratchDir dir;
    MakeTree(dir);
    const std::string pictures = "pics/IMG_2.JPG pics/IMG_10.jpg pics/a.heic pics/b.Tiff pics/link.jpg";
    const struct {
        std::vector<std::string> Args;
        bool Recursive;
        std::optional<SortKey> Sort;
        std::string Expected;
    } cases[] = {
        // A folder's pictures in version order; others and hidden names skipped.
        {{"pics"}, false, std::nullopt, pictures},
        {{"pics/"}, false, std::nullopt, pictures},
        // A link named as a FILE is followed; found inside a folder, it is not entered.
        {{"pics-link"}, false, std::nullopt,
         "pics-link/IMG_2.JPG pics-link/IMG_10.jpg pics-link/a.heic pics-link/b.Tiff pics-link/link.jpg"},
        // Subfolders after the pictures, each in the same order, depth first.
        {{"pics"}, true, std::nullopt,
         pictures + " pics/Sub/v.bmp pics/sub2/z.png pics/sub10/y.webp pics/sub10/deep/w.gif"},
        // Files named one by one keep their place and are not filtered; a folder without
        // pictures adds nothing; a missing path is left for the open error.
        {{"single.txt", "empty", "pics/sub2", "missing.jpg", "pics/IMG_10.jpg"}, false, std::nullopt,
         "single.txt pics/sub2/z.png missing.jpg pics/IMG_10.jpg"},
        {{"empty"}, true, std::nullopt, ""},
        // --sort name orders the whole list; none keeps it.
        {{"pics/sub2", "pics/IMG_10.jpg", "pics/IMG_2.JPG"}, false, SortKey::Name,
         "pics/IMG_2.JPG pics/IMG_10.jpg pics/sub2/z.png"},
        {{"pics/IMG_10.jpg", "single.txt", "pics/IMG_2.JPG"}, false, SortKey::None,
         "pics/IMG_10.jpg single.txt pics/IMG_2.JPG"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        for (const std::string& arg : c.Args)
            args.push_back(dir / arg);
        FolderWalk walk;
        walk.Recursive = c.Recursive;
        FolderInput input = ExpandFolders(args, walk);
        if (c.Sort)
            SortFiles(input.Files, *c.Sort);
        EXPECT_EQ(Relative(dir, input.Files), c.Expected) << c.Args.front() << " " << c.Recursive;
        EXPECT_TRUE(input.Failures.empty());
    }
}

TEST(FolderInputTest, DirectoryOrderKeepsEveryPicture)
{
    ScratchDir dir;
    MakeTree(dir);
    FolderWalk walk;
    walk.NameOrder = false;
    walk.Recursive = true;
    FolderInput input = ExpandFolders({dir / "pics"}, walk);
    EXPECT_EQ(input.Files.size(), 9u);
    SortFiles(input.Files, SortKey::Name);
    EXPECT_EQ(Relative(dir, input.Files),
              "pics/IMG_2.JPG pics/IMG_10.jpg pics/Sub/v.bmp pics/a.heic pics/b.Tiff pics/link.jpg "
              "pics/sub2/z.png pics/sub10/deep/w.gif pics/sub10/y.webp");
}

TEST(FolderInputTest, TimeOrderTakesTheDateTakenElseTheModificationTime)
{
    ScratchDir dir;
    const auto setTime = [&](const std::string& name, std::time_t seconds) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
    };
    // Dates taken, with and without an offset (read in UTC).
    const ScopedTimeZone zone("UTC0");
    WriteJpegWithExif(dir / "b.jpg", {"2020:01:01 12:00:00", "+09:00"});  // 03:00 UTC
    WriteTiffWithExif(dir / "a.tif", {"2020:01:01 04:00:00", "", true});
    WriteJpegWithExif(dir / "zero.jpg", {"0000:00:00 00:00:00", ""});
    WriteFile(dir / "plain.gif", "GIF89a");
    WriteJpegWithExif(dir / "tie2.jpg", {"2020:01:01 05:00:00", "+00:00"});
    WriteJpegWithExif(dir / "tie10.jpg", {"2020:01:01 05:00:00", "+00:00"});
    setTime("b.jpg", 2000000000);  // ignored: the date taken counts
    setTime("a.tif", 0);
    setTime("zero.jpg", 1577851200);  // 2020-01-01 04:00:00 UTC: ties with a.tif, by name
    setTime("plain.gif", 1577840400);  // 01:00 UTC
    std::vector<std::string> files;
    for (const char* name : {"tie10.jpg", "zero.jpg", "tie2.jpg", "plain.gif", "a.tif", "b.jpg"})
        files.push_back(dir / name);
    SortFiles(files, SortKey::Time);
    EXPECT_EQ(Relative(dir, files), "plain.gif b.jpg a.tif zero.jpg tie2.jpg tie10.jpg");
}
