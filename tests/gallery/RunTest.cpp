// SPDX-License-Identifier: MIT
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "gallery/Run.h"
#include "gallery/TextEncoding.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Job.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// The page as the run must write it: Shift_JIS, CR LF after every line.
std::string PageOf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return ToShiftJis(text);
}

const char* const kHead[] = {
    "<HTML><HEAD>",
    "<TITLE>画像一覧</TITLE>",
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
    "<meta name=\"GENERATOR\" content=\"KAMEOLA.EXE\">",
    "</HEAD>",
};
const char* const kHeading =
    "<DIV ALIGN=CENTER><BR><H1>画像一覧</H1>クリックすると大きい画像が表示されます。<BR><BR><HR>";

std::vector<std::string> Head(std::initializer_list<std::string> more)
{
    std::vector<std::string> lines(std::begin(kHead), std::end(kHead));
    lines.insert(lines.end(), more);
    return lines;
}

std::string Cell(const std::string& link, const std::string& src, int w, int h,
                 const std::string& caption = "")
{
    return "<TD><DIV ALIGN=CENTER><A HREF=\"" + link + "\"><IMG SRC=\"" + src + "\" WIDTH=" +
           std::to_string(w) + " HEIGHT=" + std::to_string(h) + " BORDER=0>" + caption +
           "</A></DIV></TD>";
}

class Run : public ::testing::Test {
protected:
    GalleryJob JobWith(std::initializer_list<std::string> paths) { return JobIn(dir / "web", paths); }
    std::string Gif(const std::string& name)
    {
        std::string path = dir / name;
        WriteFile(path, "GIF89a not really");
        return path;
    }
    std::string Page(const GalleryJob& job) { return ReadFile(job.OutputDir + "/" + job.PageName); }

    ScratchDir dir;
    RecordingHost host;
};

} // namespace

TEST_F(Run, CopyModeWorkedExample)
{
    fs::create_directories(dir.Path() / "pics");
    fs::create_directories(dir.Path() / "web");
    WriteJpeg(dir / "pics/a.jpg", 640, 480);
    WriteFile(dir / "pics/b.gif", "GIF89a");
    GalleryJob job = JobWith({dir / "pics/a.jpg", dir / "pics/b.gif"});
    job.OutputDir = dir / "web/";
    job.Columns = 2;
    job.ShowFileNames = true;

    RunGallery(job, host);

    auto lines = Head({"<BODY BGCOLOR=#ffffff TEXT=#000000>", kHeading, "<TABLE COLS=2>", "<TR>",
                       Cell("a.jpg", "a.jpg", 100, 75, "<BR>a.jpg"),
                       Cell("b.gif", "b.gif", 100, 75, "<BR>b.gif"), "</TR>", "</TR>",
                       "</TABLE></DIV>", "<HR>", "</BODY>", "</HTML>"});
    EXPECT_EQ(Page(job), PageOf(lines));
    EXPECT_NE(Page(job).find("\x89\xE6\x91\x9C\x88\xEA\x97\x97"), std::string::npos);  // 画像一覧
    EXPECT_EQ(ReadFile(dir / "web/a.jpg"), ReadFile(dir / "pics/a.jpg"));
    EXPECT_EQ(ReadFile(dir / "web/b.gif"), "GIF89a");

    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Text, "終了しました");
    EXPECT_EQ(host.Messages[0].Caption, "結果報告");
    EXPECT_EQ(host.BusyCount, 1);
    EXPECT_EQ(host.BusyDepth, 0);
    EXPECT_EQ(host.RangeTop, 1);
    EXPECT_EQ(host.Positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(host.EventRounds, 2);
}

TEST_F(Run, LinkInPlaceWorkedExample)
{
    fs::create_directories(dir.Path() / "pics");
    WriteJpeg(dir / "pics/IMG.JPG", 800, 600);
    WriteBmp(dir / "pics/scan.bmp", 300, 400);
    GalleryJob job = JobWith({dir / "pics/IMG.JPG", dir / "pics/scan.bmp"});
    job.Columns = 3;
    job.ThumbWidth = 120;
    job.MakeSmallImages = job.ShowFileNames = job.NumberEntries = job.LinkInPlace = true;
    job.Style.TextColor = 0x800000;
    job.Style.BackgroundImage = "/bg/tile.gif";  // never opened in this mode
    job.Style.FontFace = "ＭＳ Ｐゴシック";
    job.Style.StyleChanged = true;
    fs::create_directories(job.OutputDir);

    RunGallery(job, host);

    std::string pics = "file://" + (dir / "pics/");
    auto lines = Head({"<BODY  BACKGROUND=\"file:///bg/tile.gif\"BGCOLOR=#ffffff TEXT=#000080>",
                       "<FONT FACE=\"ＭＳ Ｐゴシック\">", kHeading, "<TABLE COLS=3>", "<TR>",
                       Cell(pics + "IMG.JPG", "IMGs.jpG", 120, 90, "<BR>IMG.JPG<BR>#1"),
                       Cell(pics + "scan.bmp", "scans.jpg", 120, 160, "<BR>scan.bmp<BR>#2"),
                       "</TR>", "</TABLE></DIV>", "</FONT>", "<HR>", "</BODY>", "</HTML>"});
    EXPECT_EQ(Page(job), PageOf(lines));
    EXPECT_EQ(JpegSize(job.OutputDir + "/IMGs.jpG"), std::make_pair(120, 90));
    EXPECT_EQ(JpegSize(job.OutputDir + "/scans.jpg"), std::make_pair(120, 160));
    int files = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(job.OutputDir))
        ++files;
    EXPECT_EQ(files, 3);  // page and two small images: nothing copied
}

TEST_F(Run, RowsAndCaptions)
{
    GalleryJob job = JobWith({Gif("1.gif"), Gif("2.gif"), Gif("3.gif"), Gif("a.gif")});
    job.Columns = 3;
    job.NumberEntries = true;
    job.ThumbWidth = 10;  // height 7.5 rounds to 8
    RunGallery(job, host);
    auto lines = Head({"<BODY BGCOLOR=#ffffff TEXT=#000000>", kHeading, "<TABLE COLS=3>", "<TR>",
                       Cell("1.gif", "1.gif", 10, 8, "<BR>#1"), Cell("2.gif", "2.gif", 10, 8, "<BR>#2"),
                       Cell("3.gif", "3.gif", 10, 8, "<BR>#3"), "</TR>", "<TR>",
                       Cell("a.gif", "a.gif", 10, 8, "<BR>#4"), "</TR>", "</TABLE></DIV>", "<HR>",
                       "</BODY>", "</HTML>"});
    EXPECT_EQ(Page(job), PageOf(lines));

    job.Columns = 4;
    job.ShowFileNames = true;
    job.ThumbWidth = 6;  // 4.5 rounds to 4
    RunGallery(job, host);
    std::string page = Page(job);
    EXPECT_NE(page.find(Cell("3.gif", "3.gif", 6, 4, "<BR>3.gif<BR>#3")), std::string::npos);
    EXPECT_NE(page.find("BORDER=0><BR>a.gif<BR>#4</A></DIV></TD>\r\n</TR>\r\n</TR>\r\n</TABLE>"),
              std::string::npos);
}

TEST_F(Run, BmpInCopyModeWithSmallImages)
{
    WriteBmp(dir / "p.bmp", 640, 480);
    GalleryJob job = JobWith({dir / "p.bmp"});
    job.MakeSmallImages = true;
    RunGallery(job, host);
    EXPECT_EQ(JpegSize(job.OutputDir + "/ps.jpg"), std::make_pair(100, 75));
    EXPECT_EQ(JpegSize(job.OutputDir + "/p.jpg"), std::make_pair(640, 480));
    EXPECT_FALSE(fs::exists(job.OutputDir + "/p.bmp"));
    EXPECT_NE(Page(job).find(Cell("p.jpg", "p.jpg", 100, 75)), std::string::npos);
    // The run asked before creating the missing output directory.
    ASSERT_EQ(host.Messages.size(), 2u);
    EXPECT_EQ(host.Messages[0].Text, "ディレクトリを作成しても構いませんか？");
    EXPECT_EQ(host.Messages[0].Caption, "確認");
}

TEST_F(Run, SameBaseNameAndSourceFolderCopiesAreSkipped)
{
    fs::create_directories(dir.Path() / "x");
    fs::create_directories(dir.Path() / "y");
    WriteFile(dir / "x/s.gif", "first");
    WriteFile(dir / "y/s.gif", "second");
    GalleryJob job = JobWith({dir / "x/s.gif", dir / "y/s.gif"});
    RunGallery(job, host);
    EXPECT_EQ(ReadFile(job.OutputDir + "/s.gif"), "first");
    EXPECT_EQ(host.Skipped.size(), 1u);

    // Output folder equal to the source folder: nothing copied, the page still written.
    job = JobWith({dir / "x/s.gif"});
    job.OutputDir = dir / "x";
    RunGallery(job, host);
    EXPECT_EQ(ReadFile(dir / "x/s.gif"), "first");
    EXPECT_TRUE(fs::exists(dir / "x/index.htm"));
}

TEST_F(Run, ExistingPageReplacedAndEmptyPageNameFails)
{
    GalleryJob job = JobWith({Gif("a.gif")});
    fs::create_directories(job.OutputDir);
    WriteFile(job.OutputDir + "/index.htm", std::string(100000, 'x'));
    RunGallery(job, host);
    EXPECT_EQ(Page(job).substr(0, 12), "<HTML><HEAD>");
    EXPECT_LT(Page(job).size(), 1000u);

    WriteBmp(dir / "p.bmp", 20, 10);
    job = JobWith({dir / "p.bmp"});
    job.PageName = "";
    job.MakeSmallImages = true;
    host.Messages.clear();
    try {
        RunGallery(job, host);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), EFCreateError(job.OutputDir + "/").Message());
    }
    EXPECT_TRUE(fs::exists(job.OutputDir + "/ps.jpg"));
    EXPECT_TRUE(fs::exists(job.OutputDir + "/p.jpg"));
    EXPECT_EQ(host.BusyDepth, 0);
    for (auto& e : fs::directory_iterator(job.OutputDir))  // no temporary file left behind
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST_F(Run, ZeroHeightGivesEmptySmallImage)
{
    WriteBmp(dir / "line.bmp", 1000, 1);
    WriteJpeg(dir / "row.jpg", 1000, 1);
    GalleryJob job = JobWith({dir / "line.bmp", dir / "row.jpg"});
    job.ThumbWidth = 1;
    job.MakeSmallImages = true;
    job.LinkInPlace = true;
    RunGallery(job, host);
    EXPECT_NE(Page(job).find("WIDTH=1 HEIGHT=0 BORDER=0>"), std::string::npos);
    for (const char* small : {"/lines.jpg", "/rows.jpg"}) {
        ASSERT_TRUE(fs::exists(job.OutputDir + small));
        EXPECT_EQ(fs::file_size(job.OutputDir + small), 0u);
    }
}

TEST_F(Run, HeightRoundsHalfToEven)
{
    WriteBmp(dir / "w.bmp", 200, 101);  // 50.5 gives 50
    WriteBmp(dir / "v.bmp", 200, 103);  // 51.5 gives 52
    GalleryJob job = JobWith({dir / "w.bmp", dir / "v.bmp"});
    job.LinkInPlace = true;
    RunGallery(job, host);
    EXPECT_NE(Page(job).find("WIDTH=100 HEIGHT=50 "), std::string::npos);
    EXPECT_NE(Page(job).find("WIDTH=100 HEIGHT=52 "), std::string::npos);
}

TEST_F(Run, TextGoesInUnescapedButAttributesAreEncoded)
{
    std::string odd = Gif("表ソ\"#?%😀.gif");
    GalleryJob job = JobWith({odd});
    job.Title = "a<b";
    job.ShowFileNames = true;
    job.Style.BackgroundImage = Gif("bg#1.gif");
    RunGallery(job, host);
    std::string page = Page(job);
    EXPECT_NE(page.find("<TITLE>a<b</TITLE>"), std::string::npos);
    EXPECT_NE(page.find("<BODY  BACKGROUND=\"bg%231.gif\"BGCOLOR"), std::string::npos);
    EXPECT_NE(page.find("HREF=\"\x95\x5C\x83\x5C%22%23%3F%25&#128512;.gif\""), std::string::npos);
    EXPECT_NE(page.find("<BR>\x95\x5C\x83\x5C\"#?%&#128512;.gif</A>"), std::string::npos);
    EXPECT_EQ(ReadFile(job.OutputDir + "/bg#1.gif"), "GIF89a not really");
    EXPECT_TRUE(fs::exists(job.OutputDir + "/表ソ\"#?%😀.gif"));
}

TEST_F(Run, StopsBeforeWritingAnything)
{
    // Empty output field: a warning and nothing else.
    GalleryJob job;
    RunGallery(job, host);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Caption, "警告");
    EXPECT_EQ(host.Messages[0].Text, "出力先ディレクトリを指定してください");
    EXPECT_EQ(host.BusyCount, 0);

    // The directory question answered No.
    job = JobWith({Gif("a.gif")});
    host.Answer = MessageAnswer::No;
    RunGallery(job, host);
    EXPECT_FALSE(fs::exists(job.OutputDir));

    // No entries: the range error after the directory was made, before the background copy.
    job = JobWith({});
    job.Style.BackgroundImage = Gif("bg.gif");
    host.Answer = MessageAnswer::Yes;
    try {
        RunGallery(job, host);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), EInvalidOperation(1, 2147483647).Message());
    }
    EXPECT_TRUE(fs::is_directory(job.OutputDir));
    EXPECT_FALSE(fs::exists(job.OutputDir + "/bg.gif"));
    EXPECT_FALSE(fs::exists(job.OutputDir + "/index.htm"));
    EXPECT_EQ(host.BusyDepth, 0);
}

TEST_F(Run, ErrorStopsTheRunAndKeepsEarlierFiles)
{
    WriteFile(dir / "bad.bmp", "XX not a bitmap at all");
    GalleryJob job = JobWith({Gif("a.gif"), dir / "bad.bmp", Gif("c.gif")});
    EXPECT_THROW(RunGallery(job, host), EInvalidGraphic);
    EXPECT_TRUE(fs::exists(job.OutputDir + "/a.gif"));
    EXPECT_FALSE(fs::exists(job.OutputDir + "/c.gif"));
    EXPECT_FALSE(fs::exists(job.OutputDir + "/index.htm"));
    EXPECT_EQ(host.BusyDepth, 0);

    // An empty BMP reads as 0 × 0: 0 ÷ 0. An empty JPEG fails in decoding.
    WriteFile(dir / "empty.bmp", "");
    WriteFile(dir / "empty.jpg", "");
    job = JobWith({dir / "empty.bmp"});
    EXPECT_THROW(RunGallery(job, host), EInvalidOp);
    job = JobWith({dir / "empty.jpg"});
    job.MakeSmallImages = true;
    EXPECT_THROW(RunGallery(job, host), EJPEG);
    EXPECT_THROW(RunGallery(JobWith({dir / "missing.jpg"}), host), EFOpenError);
}

TEST_F(Run, DamageAfterTheLastScanStopsTheRunWithOrWithoutSmallImages)
{
    // A broken Huffman table after the last scan is met only at the very end of decoding.
    WriteJpeg(dir / "whole.jpg", 64, 48);
    std::string bytes = ReadFile(dir / "whole.jpg");
    bytes.resize(bytes.size() - 2);
    bytes += std::string("\xFF\xC4\x00\x13\x05", 5) + std::string(16, '\x01') + "\xFF\xD9";
    WriteFile(dir / "broken.jpg", bytes);

    int fullDecodeCode = 0;
    try {
        TJPEGImage jpeg;
        jpeg.LoadJpegFile(dir / "broken.jpg");
        jpeg.DecodeJpeg();
    } catch (const EJPEG& e) {
        fullDecodeCode = e.Code();
    }
    ASSERT_NE(fullDecodeCode, 0);
    for (bool small : {false, true}) {
        GalleryJob job = JobWith({dir / "broken.jpg"});
        job.MakeSmallImages = small;
        try {
            RunGallery(job, host);
            ADD_FAILURE() << "no error with small images " << small;
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Code(), fullDecodeCode);
        }
        EXPECT_FALSE(fs::exists(job.OutputDir + "/brokens.jpg"));
    }
}

TEST_F(Run, MissingFolderIsMadeWithoutAskingWhenTheOptionSaysSo)
{
    GalleryJob job = JobWith({Gif("a.gif")});
    job.OutputDir = dir / "web/deeper";
    host.Answer = MessageAnswer::No;  // would decline if asked
    EXPECT_EQ(RunGallery(job, host, {.CreateMissingFolder = true}), RunOutcome::Done);
    EXPECT_TRUE(fs::exists(job.OutputDir + "/index.htm"));
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Caption, "結果報告");  // only the completion notice
}
