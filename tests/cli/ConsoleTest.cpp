// SPDX-License-Identifier: MIT
// Terminal text and the console host: harmless names, widths in display columns, the bar
// and the summary.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "cli/ConsoleHost.h"
#include "cli/Terminal.h"
#include "tests/gallery/TestFiles.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// What a console host writes, caught in memory.
class Captured {
public:
    Captured() : m_file(::open_memstream(&m_data, &m_size)) {}
    ~Captured()
    {
        std::fclose(m_file);
        std::free(m_data);
    }
    std::FILE* File() { return m_file; }
    std::string Text()
    {
        std::fflush(m_file);
        return std::string(m_data, m_size);
    }

private:
    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_file;
};

ConsoleSettings Terminal(int columns)
{
    ConsoleSettings settings;
    settings.Terminal = true;
    settings.Bar = true;
    settings.Columns = columns;
    return settings;
}

} // namespace

TEST(Terminal, HarmlessTextAndDisplayWidth)
{
    struct Case {
        std::string Text;
        std::string Harmless;
        int Width;
    };
    const Case cases[] = {
        {"a.jpg", "a.jpg", 5},
        {"写真.jpg", "写真.jpg", 8},
        {"ｶﾒﾗ", "ｶﾒﾗ", 3},                      // half-width kana
        {"e\xCC\x81", "e\xCC\x81", 1},           // a combining accent takes no column
        {"a\x1B[2Jb\x07\x7F", "a?[2Jb??", 8},     // escape, bell, DEL
        {"\xC2\x9B" "31m", "?31m", 4},           // the C1 control sequence introducer
        {"\xE9t\xE9", "?t?", 3},                 // Latin-1 bytes are not UTF-8
        {"\xE3\x81", "??", 2},                   // a character cut short
        {"\xED\xA0\x80", "???", 3},              // a surrogate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HarmlessText(c.Text), c.Harmless) << c.Harmless;
        EXPECT_EQ(DisplayWidth(HarmlessText(c.Text)), c.Width) << c.Harmless;
    }
}

TEST(Terminal, ShortenMiddleKeepsBothEndsAndWholeCharacters)
{
    EXPECT_EQ(ShortenMiddle("short.jpg", 9), "short.jpg");
    EXPECT_EQ(ShortenMiddle("abcdefghij.jpg", 9), "abc...jpg");
    EXPECT_EQ(ShortenMiddle("写真写真写真写真.jpg", 10), "写真...jpg");
    EXPECT_EQ(ShortenMiddle("写真写真写真写真.jpg", 11), "写真....jpg");
    for (int columns = 0; columns <= 22; ++columns) {
        const std::string shortened = ShortenMiddle("写真_2024年の旅行アルバム.jpg", columns);
        EXPECT_LE(DisplayWidth(shortened), columns) << shortened;
        EXPECT_EQ(HarmlessText(shortened), shortened) << "no character cut in two";
    }
}

TEST(ConsoleHost, BarFitsTheTerminalWithJapaneseNames)
{
    ScratchDir dir;
    GalleryJob job;
    job.OutputDir = dir / "out";
    for (const char* name : {"a.gif", "とても長い名前の写真ファイル_二〇二四年夏の旅行_第一日目.gif",
                             "x\x1B]0;title\x07.gif"}) {
        WriteFile(dir / name, "GIF89a");
        job.Entries.push_back({dir / name, "6"});
    }
    for (int columns : {20, 40, 80, 200}) {
        Captured err;
        ConsoleHost host(job, err.File(), Terminal(columns));
        RunOptions options;
        options.CreateMissingFolder = true;
        ASSERT_EQ(RunGallery(job, host, options), RunOutcome::Done);
        // Each drawing starts after "\r\033[K"; none may reach the last column.
        const std::string text = err.Text();
        std::size_t drawings = 0;
        for (std::size_t at = text.find("\r\033[K"); at != std::string::npos;) {
            const std::size_t next = text.find_first_of("\r\n", at + 4);
            const std::string line = text.substr(at + 4, next == std::string::npos ? next : next - at - 4);
            EXPECT_LT(DisplayWidth(line), columns) << line;
            EXPECT_EQ(line.find('\x1B'), std::string::npos) << line;
            ++drawings;
            at = text.find("\r\033[K", at + 4);
        }
        EXPECT_GE(drawings, 3u);
        fs::remove_all(job.OutputDir);
    }
}

TEST(ConsoleHost, MessagesSummaryAndQuiet)
{
    GalleryJob job;
    RunStats stats;
    stats.Cells = 1;
    stats.Conversions = 2;
    stats.SkippedCopies = 1;
    stats.Page = "/out/index.htm";
    {
        Captured err;
        ConsoleHost host(job, err.File(), Terminal(80));
        host.EntryFailed("/p/\x1B[31mx.jpg", EJPEG(53).Text());
        host.CopySkipped("/p/a.gif", "/out/a.gif", {MessageId::TargetExists, {}});
        host.Error("", EFCreateError("/out/\x1B.htm").Text());
        host.Finished(stats);
        const std::string text = err.Text();
        EXPECT_EQ(text.substr(0, text.find(" in ")),
                  "kameola-cli: /p/?[31mx.jpg: JPEG error #53.\n"
                  "kameola-cli: warning: /p/a.gif not copied to /out/a.gif: file exists\n"
                  "kameola-cli: cannot create file /out/?.htm.\n"
                  "kameola-cli: 1 entry, 1 failed, 0 small images, 2 conversions, 1 copy skipped; "
                  "wrote /out/index.htm");
        EXPECT_EQ(host.FailedEntries(), 1);
        EXPECT_FALSE(host.CopyFailed());
    }
    {
        // Quiet: errors and failed copies only; not a terminal: names as they are.
        Captured err;
        ConsoleSettings settings;
        settings.Quiet = true;
        ConsoleHost host(job, err.File(), settings);
        host.CopySkipped("/p/a.gif", "/out/a.gif", {MessageId::TargetExists, {}});
        host.CopySkipped("/p/b.gif", "/out/b.gif", EInOutError(28).Text());
        host.EntryFailed("/p/\x1B.jpg", EJPEG(53).Text());
        host.Finished(stats);
        EXPECT_EQ(err.Text(), "kameola-cli: warning: /p/b.gif not copied to /out/b.gif: I/O error (28)\n"
                              "kameola-cli: /p/\x1B.jpg: JPEG error #53.\n");
        EXPECT_TRUE(host.CopyFailed());
    }
}

TEST(ConsoleHost, BarFollowsAResizedTerminal)
{
    GalleryJob job;
    for (const char* name : {"/p/a-long-name-of-the-first-picture.gif", "/p/a-long-name-of-the-second-picture.gif"})
        job.Entries.push_back({name, "6"});
    Captured err;
    ConsoleSettings settings = Terminal(100);
    settings.WidthFd = ::open("/dev/null", O_RDONLY);  // tells no window size: COLUMNS does
    ::setenv("COLUMNS", "30", 1);
    {
        ConsoleHost host(job, err.File(), settings);
        host.SetProgress(0);  // not resized: still 100 columns
        ::raise(SIGWINCH);
        host.SetProgress(1);
    }
    ::unsetenv("COLUMNS");
    ::close(settings.WidthFd);
    const std::string text = err.Text();
    const std::size_t second = text.rfind("\r\033[K");
    ASSERT_NE(second, std::string::npos);
    EXPECT_GT(DisplayWidth(text.substr(4, text.find('\r', 4) - 4)), 30) << text;
    EXPECT_LT(DisplayWidth(text.substr(second + 4)), 30) << text;
}
