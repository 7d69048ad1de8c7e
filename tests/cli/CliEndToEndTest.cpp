// SPDX-License-Identifier: MIT
// Runs the built kameola-cli on generated files and checks what it writes and returns.
#include "common/Errors.h"
#include "gallery/TextEncoding.h"
#include "cli/Terminal.h"
#include "tests/cli/CliRun.h"
#include "tests/support/FontConfigFiles.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/WebPictures.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace kameola::test;
namespace fs = std::filesystem;

TEST(CliEndToEnd, WritesPageSmallImagesAndCopies)
{
    ScratchDir dir;
    WriteJpeg(dir / "a.jpg", 640, 480);
    WriteBmp(dir / "p.bmp", 300, 400);
    WriteFile(dir / "c.gif", "GIF89a");
    std::string out = dir / "out/deeper";

    Result r = RunCli({"-o", out, "--small", "--names", "--columns", "2", "--title", "写真",
                       dir / "a.jpg", dir / "p.bmp", dir / "c.gif"}, dir);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");  // stderr is not a terminal: no progress bar
    EXPECT_EQ(JpegSize(out + "/as.jpg"), std::make_pair(100, 75));
    EXPECT_EQ(JpegSize(out + "/ps.jpg"), std::make_pair(100, 133));
    EXPECT_EQ(JpegSize(out + "/p.jpg"), std::make_pair(300, 400));
    EXPECT_EQ(ReadFile(out + "/a.jpg"), ReadFile(dir / "a.jpg"));
    EXPECT_EQ(ReadFile(out + "/c.gif"), "GIF89a");

    std::string page = ReadFile(out + "/index.htm");
    std::string expected = kameola::ToShiftJis(
        "<TABLE COLS=2>\r\n<TR>\r\n"
        "<TD><DIV ALIGN=CENTER><A HREF=\"a.jpg\"><IMG SRC=\"as.jpg\" WIDTH=100 HEIGHT=75 BORDER=0><BR>a.jpg</A></DIV></TD>\r\n"
        "<TD><DIV ALIGN=CENTER><A HREF=\"p.jpg\"><IMG SRC=\"p.jpg\" WIDTH=100 HEIGHT=133 BORDER=0><BR>p.bmp</A></DIV></TD>\r\n"
        "</TR>\r\n<TR>\r\n"
        "<TD><DIV ALIGN=CENTER><A HREF=\"c.gif\"><IMG SRC=\"c.gif\" WIDTH=100 HEIGHT=75 BORDER=0><BR>c.gif</A></DIV></TD>\r\n"
        "</TR>\r\n</TABLE></DIV>\r\n<HR>\r\n</BODY>\r\n</HTML>\r\n");
    ASSERT_GE(page.size(), expected.size());
    EXPECT_EQ(page.substr(page.size() - expected.size()), expected);
    EXPECT_NE(page.find(kameola::ToShiftJis("<TITLE>写真</TITLE>")), std::string::npos);

    // A second run skips the existing copies with warnings and still succeeds.
    r = RunCli({"-o", out, dir / "c.gif"}, dir);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "kameola-cli: warning: " + (dir / "c.gif") + " not copied to " + out +
                         "/c.gif: file exists\n");
    // Quiet: not even that warning.
    r = RunCli({"-q", "-o", out, dir / "c.gif"}, dir);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
}

TEST(CliEndToEnd, FailedCopyWarnsWithTheReasonAndFails)
{
    // Files may not grow past a few KiB and SIGXFSZ is ignored: the copy's write fails.
    ScratchDir dir;
    WriteFile(dir / "big.gif", std::string(64 << 10, 'g'));
    std::string out = dir / "out";
    Result r = RunCli({"-q", "-o", out, dir / "big.gif"}, dir, "ulimit -f 2; trap '' XFSZ; exec");
    EXPECT_EQ(r.Status, 1) << r.Err;
    EXPECT_EQ(r.Err, "kameola-cli: warning: " + (dir / "big.gif") + " not copied to " + out +
                         "/big.gif: I/O error (" + std::to_string(EFBIG) + ")\n");
    EXPECT_FALSE(fs::exists(out + "/big.gif"));
    EXPECT_TRUE(fs::exists(out + "/index.htm"));
}

TEST(CliEndToEnd, ErrorsAndExitCodes)
{
    ScratchDir dir;
    WriteFile(dir / "a.gif", "GIF89a");
    std::string out = dir / "out";

    const std::string tryHelp = "Try 'kameola-cli --help' for more information.\n";

    // Usage errors, no FILE among them, create nothing.
    Result r = RunCli({"-o", out}, dir);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "kameola-cli: no FILE given\n" + tryHelp);
    r = RunCli({"-o", out, "--columns", "0", dir / "a.gif"}, dir);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "kameola-cli: --columns must be a number from 1 to 100\n" + tryHelp);
    EXPECT_FALSE(fs::exists(out));

    const std::string missing = dir / "missing.jpg";
    r = RunCli({"-o", out, dir / "a.gif", missing}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "kameola-cli: " + missing + ": cannot open file " + missing + ".\n");
    EXPECT_FALSE(fs::exists(out + "/a.gif"));  // nothing written before every file opened

    // An entry's error names it without --keep-going too, by its absolute path.
    WriteFile(dir / "bad.jpg", "not a jpeg");
    r = RunCli({"-o", out, "--jobs", "2", "a.gif", "bad.jpg"}, dir, "cd " + Quote(dir.Path().string()) + " &&");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("kameola-cli: " + (dir / "bad.jpg") + ": JPEG error #", 0), 0u) << r.Err;

    // So does a file the entry cannot create.
    WriteBmp(dir / "p.bmp", 4, 4);
    fs::create_directories(out + "/p.jpg");
    r = RunCli({"-q", "-o", out, dir / "a.gif", dir / "p.bmp"}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "kameola-cli: " + (dir / "p.bmp") + ": " +
                         "cannot create file " + out + "/p.jpg.\n");

    // An output folder that cannot be made is named.
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    r = RunCli({"-o", dir / "dangling", dir / "a.gif"}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "kameola-cli: " + (dir / "dangling") + ": " +
                         "I/O error (" + std::to_string(EEXIST) + ")\n");  // no "." after ")"

    r = RunCli({"-o", "", dir / "a.gif"}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "kameola-cli: no output folder given.\n");
}

TEST(CliEndToEnd, FilesFromStandardInputAfterTheArguments)
{
    ScratchDir dir;
    WriteFile(dir / "a.gif", "GIF89a");
    WriteFile(dir / "b c.gif", "GIF89a");
    WriteFile(dir / "list", "b c.gif\n");
    const Result r = RunCli({"-o", "out", "--names", "--files-from", "-", "a.gif"}, dir,
                            "cd " + Quote(dir.Path().string()) + " &&", dir / "list");
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string page = ReadFile(dir / "out/index.htm");
    EXPECT_LT(page.find("<BR>a.gif"), page.find("<BR>b c.gif"));
    EXPECT_NE(page.find("<BR>b c.gif"), std::string::npos);
}

TEST(CliEndToEnd, KeepGoingLeavesFailedEntriesOutInListOrder)
{
    ScratchDir dir;
    WriteJpeg(dir / "a.jpg", 640, 480);
    WriteFile(dir / "bad.jpg", "\xFF\xD8 not a picture");
    WriteBmp(dir / "p.bmp", 300, 400);
    WriteFile(dir / "bad.bmp", "BM cut short");
    WriteFile(dir / "c.gif", "GIF89a");
    const std::string out = dir / "out";
    const std::string missing = dir / "missing.jpg";

    for (const char* jobs : {"1", "8"}) {
        fs::remove_all(out);
        Result r = RunCli({"-o", out, "--small", "--numbers", "--columns", "2", "--keep-going",
                           "--jobs", jobs, dir / "a.jpg", dir / "bad.jpg", missing, dir / "p.bmp",
                           dir / "bad.bmp", dir / "c.gif"},
                          dir);
        EXPECT_EQ(r.Status, 1);
        // Each failure named with its path, in list order, the unopenable file first
        // because files are opened before the run starts.
        const std::size_t at0 = r.Err.find(missing + ": cannot open file " + missing + ".");
        const std::size_t at1 = r.Err.find(dir / "bad.jpg" + ": JPEG error #");
        const std::size_t at2 = r.Err.find(dir / "bad.bmp" + ": ");
        EXPECT_EQ(at0, r.Err.find("kameola-cli: ") + 13) << r.Err;
        EXPECT_NE(at1, std::string::npos) << r.Err;
        EXPECT_NE(at2, std::string::npos) << r.Err;
        EXPECT_TRUE(at0 < at1 && at1 < at2) << r.Err;

        // The page numbers and breaks rows by the cells it shows.
        const std::string page = ReadFile(out + "/index.htm");  // the fragments below are ASCII
        EXPECT_NE(page.find("<IMG SRC=\"as.jpg\" WIDTH=100 HEIGHT=75 BORDER=0><BR>#1</A>"), std::string::npos);
        EXPECT_NE(page.find("<IMG SRC=\"p.jpg\" WIDTH=100 HEIGHT=133 BORDER=0><BR>#2</A></DIV></TD>\r\n</TR>\r\n<TR>"),
                  std::string::npos)
            << page;
        EXPECT_NE(page.find("<BR>#3</A>"), std::string::npos);
        EXPECT_EQ(page.find("bad"), std::string::npos);
        EXPECT_EQ(page.find("#4"), std::string::npos);
        // None of a failed entry's files stays.
        EXPECT_FALSE(fs::exists(out + "/bad.jpg"));
        EXPECT_FALSE(fs::exists(out + "/bads.jpg"));
        EXPECT_TRUE(fs::exists(out + "/p.jpg"));
    }

    // When every file fails there is no page to write.
    fs::remove_all(out);
    Result r = RunCli({"-o", out, "-k", dir / "bad.jpg", missing}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_FALSE(fs::exists(out + "/index.htm"));
    r = RunCli({"-o", out, "-k", missing}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "kameola-cli: " + missing + ": cannot open file " + missing + ".\n");
}

TEST(CliEndToEnd, RelativePathsLinkAsWholeFileAddresses)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.Path() / "pics");
    WriteJpeg(dir / "pics/a.jpg", 40, 30);
    WriteFile(dir / "bg.gif", "GIF89a");

    Result r = RunCli({"-o", "out", "--link", "--background-image", "./bg.gif", "pics/a.jpg"}, dir,
                      "cd " + Quote(dir.Path().string()) + " &&");
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::string page = ReadFile(dir / "out/index.htm");
    const std::string root = dir.Path().string();
    EXPECT_NE(page.find("<A HREF=\"file://" + root + "/pics/a.jpg\"><IMG SRC=\"file://" + root +
                        "/pics/a.jpg\""), std::string::npos) << page;
    EXPECT_NE(page.find(" BACKGROUND=\"file://" + root + "/bg.gif\"BGCOLOR"), std::string::npos);
}

// With defaults neither front end writes a FONT element; a changed style writes the face the
// style dialog starts with: empty when fontconfig does not list "ＭＳ Ｐゴシック".
TEST(CliEndToEnd, DefaultFaceFollowsFontconfig)
{
    ScratchDir dir;
    WriteFile(dir / "a.gif", "GIF89a");
    auto page = [&](const std::string& config, std::vector<std::string> options) {
        options.insert(options.end(), {"-o", dir / "out", dir / "a.gif"});
        Result r = RunCli(options, dir, "FONTCONFIG_FILE=" + Quote(config));
        EXPECT_EQ(r.Status, 0) << r.Err;
        return ReadFile(dir / "out/index.htm");
    };
    const std::string none = WriteConfigWithoutFonts(dir.Path().string());
    EXPECT_EQ(page(none, {}).find("<FONT"), std::string::npos);
    EXPECT_NE(page(none, {"--text-color", "000080"}).find("\r\n<FONT FACE=\"\">\r\n"),
              std::string::npos);
    EXPECT_NE(page(none, {"--font", "IPAGothic"}).find("<FONT FACE=\"IPAGothic\">"), std::string::npos);

    const std::string withFace = WriteConfigWithDefaultFace((dir.Path() / "installed").string());
    if (withFace.empty())
        GTEST_SKIP() << "no IPA P gothic to stand in for the face";
    EXPECT_NE(page(withFace, {"--background-color", "ffffff"})
                  .find(kameola::ToShiftJis("<FONT FACE=\"ＭＳ Ｐゴシック\">")),
              std::string::npos);
}

// On a terminal (a pseudo-terminal from script(1), of no set size, so COLUMNS counts):
// a bar inside the width and a summary, no bar for TERM=dumb, names made harmless.
TEST(CliEndToEnd, TerminalBarAndSummary)
{
    if (std::system("command -v script >/dev/null") != 0)
        GTEST_SKIP() << "no script(1) to give a terminal";
    ScratchDir dir;
    const std::string odd = dir / "写真\x1B[2J_とても長い名前のファイル_二〇二四年夏の旅行.gif";
    WriteFile(odd, "GIF89a");
    const auto onTerminal = [&](const std::string& term) {
        const std::string cli = std::string(KAMEOLA_CLI) + " -o " + Quote(dir / "out") + " " + Quote(odd);
        const std::string cmd = "TERM=" + term + " COLUMNS=30 script -qec " + Quote(cli) +
                                " /dev/null </dev/null >" + Quote(dir / "tty.txt");
        EXPECT_EQ(std::system(cmd.c_str()), 0) << term;
        fs::remove_all(dir / "out");
        return ReadFile(dir / "tty.txt");
    };
    const std::string shown = onTerminal("xterm");
    EXPECT_EQ(shown.find("\x1B[2J"), std::string::npos) << "no escape from a name";
    EXPECT_NE(shown.find("kameola-cli: 1 entry, 0 failed, 0 small images, 0 conversions, 0 copies skipped"),
              std::string::npos) << shown;
    std::size_t bars = 0;
    for (std::size_t at = shown.find("\r\x1B[K"); at != std::string::npos; at = shown.find("\r\x1B[K", at + 1)) {
        const std::size_t end = shown.find_first_of("\r\n", at + 4);
        EXPECT_LT(kameola::DisplayWidth(shown.substr(at + 4, end - at - 4)), 30) << shown;
        ++bars;
    }
    EXPECT_GE(bars, 2u) << shown;

    const std::string dumb = onTerminal("dumb");
    EXPECT_EQ(dumb.find("\x1B[K"), std::string::npos) << dumb;
    EXPECT_NE(dumb.find("kameola-cli: 1 entry"), std::string::npos) << dumb;
}

TEST(CliEndToEnd, SmallWebImagesShowBesideTheirLinkedOriginals)
{
    ScratchDir dir;
    WriteJpeg(dir / "a.jpg", 640, 480);
    // 64 × 32 stored, shown turned a quarter: 32 × 64 upright.
    PngShape png;
    png.Width = 64;
    png.Height = 32;
    png.ColorType = 6;
    png.Samples = RgbaSamples(Plain(64, 32, {200, 10, 10, 128}));
    png.Exif = TiffOrientationBlock(6);
    WriteBytes(dir / "a.png", EncodePng(png));
    WriteFile(dir / "b.webp", "RIFF");  // cut short
    const std::string out = dir / "out";

    const Result r = RunCli({"-o", out, "--small", "--small-web", "--keep-going", dir / "a.jpg",
                             dir / "a.png", dir / "b.webp"}, dir);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(dir / "b.webp" + ": WebP error ("), std::string::npos) << r.Err;
    EXPECT_EQ(JpegSize(out + "/as.jpg"), std::make_pair(100, 75));
    EXPECT_EQ(JpegSize(out + "/as.png.jpg"), std::make_pair(100, 200));
    EXPECT_EQ(ReadFile(out + "/a.png"), ReadFile(dir / "a.png"));
    EXPECT_FALSE(fs::exists(out + "/bs.webp.jpg"));
    const std::string page = ReadFile(out + "/index.htm");
    EXPECT_NE(page.find("<A HREF=\"a.jpg\"><IMG SRC=\"as.jpg\" WIDTH=100 HEIGHT=75 BORDER=0>"),
              std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"a.png\"><IMG SRC=\"as.png.jpg\" WIDTH=100 HEIGHT=200 BORDER=0>"),
              std::string::npos);
    EXPECT_EQ(page.find("b.webp"), std::string::npos);

    // In place: the page links the original where it is.
    const Result linked = RunCli({"-o", dir / "linked", "--link", "--small-web", dir / "a.png"}, dir);
    EXPECT_EQ(linked.Status, 0) << linked.Err;
    EXPECT_NE(ReadFile(dir / "linked/index.htm")
                  .find("<A HREF=\"file://" + dir / "a.png" + "\"><IMG SRC=\"as.png.jpg\" WIDTH=100 HEIGHT=200"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "linked/a.png"));
}
