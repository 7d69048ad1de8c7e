#include "cli/Options.h"

#include <gtest/gtest.h>

using namespace kameola;

TEST(CliOptions, DefaultsAsInTheWindows)
{
    CliOptions o = ParseOptions({"-o", "/out", "a.jpg", "b.gif"});
    EXPECT_EQ(o.Job.OutputDir, "/out");
    EXPECT_EQ(o.Job.PageName, "index.htm");
    EXPECT_EQ(o.Job.Title, "画像一覧");
    EXPECT_EQ(o.Job.Columns, 8);
    EXPECT_EQ(o.Job.ThumbWidth, 100);
    EXPECT_FALSE(o.Job.MakeSmallImages || o.Job.ShowFileNames || o.Job.NumberEntries || o.Job.LinkInPlace);
    EXPECT_FALSE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.TextColor, 0x000000u);
    EXPECT_EQ(o.Job.Style.BackgroundColor, 0xFFFFFFu);
    EXPECT_EQ(o.Files, (std::vector<std::string>{"a.jpg", "b.gif"}));
}

TEST(CliOptions, EveryOption)
{
    CliOptions o = ParseOptions({"--small", "--names", "--numbers", "--link", "-o", "d", "--page", "g.htm",
                                 "--title", "t", "--columns", "100", "--width", "32767", "--text-color",
                                 "800000", "--background-image", "/bg.gif", "--", "-x.jpg"});
    EXPECT_TRUE(o.Job.MakeSmallImages && o.Job.ShowFileNames && o.Job.NumberEntries && o.Job.LinkInPlace);
    EXPECT_EQ(o.Job.PageName, "g.htm");
    EXPECT_EQ(o.Job.Columns, 100);
    EXPECT_EQ(o.Job.ThumbWidth, 32767);
    EXPECT_EQ(o.Job.Style.TextColor, 0x000080u);  // held blue, green, red
    EXPECT_TRUE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.BackgroundImage, "/bg.gif");
    EXPECT_EQ(o.Files, (std::vector<std::string>{"-x.jpg"}));

    o = ParseOptions({"-o", "d", "--font", ""});
    EXPECT_TRUE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.FontFace, "");
    o = ParseOptions({"-o", "d", "--background-color", "0080fF"});
    EXPECT_EQ(o.Job.Style.BackgroundColor, 0xFF8000u);

    EXPECT_EQ(o.Run.Jobs, 0);  // one worker per CPU unless told
    EXPECT_FALSE(o.Run.KeepGoing);
    o = ParseOptions({"-o", "d", "--jobs", "64", "--keep-going"});
    EXPECT_EQ(o.Run.Jobs, 64);
    EXPECT_TRUE(o.Run.KeepGoing);
}

TEST(CliOptions, UsageErrors)
{
    for (auto args : std::vector<std::vector<std::string>>{
             {"a.jpg"},                                    // no output directory
             {"-o"},                                       // missing value
             {"-o", "d", "--columns", "0"},
             {"-o", "d", "--columns", "101"},
             {"-o", "d", "--width", "32768"},
             {"-o", "d", "--width", "12a"},
             {"-o", "d", "--text-color", "fff"},
             {"-o", "d", "--text-color", "gg0000"},
             {"-o", "d", "--bogus"},
             {"-o", "d", "--jobs", "0"},
             {"-o", "d", "--jobs", "65"},
         }) {
        EXPECT_THROW(ParseOptions(args), UsageError) << args.back();
    }
}

TEST(CliOptions, HelpAndVersionNeedNoOutputFolder)
{
    EXPECT_TRUE(ParseOptions({"--version"}).Version);
    EXPECT_TRUE(ParseOptions({"-h"}).Help);
    EXPECT_FALSE(ParseOptions({"-o", "d"}).Version);
    EXPECT_THROW(ParseOptions({"--version", "--bogus"}), UsageError);
}
