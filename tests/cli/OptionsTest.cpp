// SPDX-License-Identifier: MIT
#include "common/Errors.h"
#include "cli/Options.h"
#include "tests/gallery/TestFiles.h"

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
    EXPECT_FALSE(o.Job.MakeSmallImages || o.Job.ShowFileNames || o.Job.NumberEntries || o.Job.LinkInPlace ||
                 o.Job.SmallWebImages);
    EXPECT_FALSE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.TextColor, 0x000000u);
    EXPECT_EQ(o.Job.Style.BackgroundColor, 0xFFFFFFu);
    EXPECT_EQ(o.Files, (std::vector<std::string>{"a.jpg", "b.gif"}));
}

TEST(CliOptions, EveryOption)
{
    CliOptions o = ParseOptions({"--small", "--small-web", "--names", "--numbers", "--link", "-o", "d", "--page", "g.htm",
                                 "--title", "t", "--columns", "100", "--width", "32767", "--text-color",
                                 "800000", "--background-image", "/bg.gif", "--", "-x.jpg"});
    EXPECT_TRUE(o.Job.MakeSmallImages && o.Job.SmallWebImages && o.Job.ShowFileNames && o.Job.NumberEntries &&
                o.Job.LinkInPlace);
    EXPECT_EQ(o.Job.PageName, "g.htm");
    EXPECT_EQ(o.Job.Columns, 100);
    EXPECT_EQ(o.Job.ThumbWidth, 32767);
    EXPECT_EQ(o.Job.Style.TextColor, 0x000080u);  // held blue, green, red
    EXPECT_TRUE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.BackgroundImage, "/bg.gif");
    EXPECT_EQ(o.Files, (std::vector<std::string>{"-x.jpg"}));

    o = ParseOptions({"-o", "d", "--font", "", "a"});
    EXPECT_TRUE(o.Job.Style.StyleChanged);
    EXPECT_EQ(o.Job.Style.FontFace, "");
    o = ParseOptions({"-o", "d", "--background-color", "0080fF", "a"});
    EXPECT_EQ(o.Job.Style.BackgroundColor, 0xFF8000u);

    EXPECT_EQ(o.Run.Jobs, 0);  // one worker per CPU unless told
    EXPECT_FALSE(o.Run.KeepGoing || o.Quiet);
    EXPECT_TRUE(o.Run.CreateMissingFolder);  // nobody to ask
    o = ParseOptions({"-o", "d", "--jobs", "64", "--keep-going", "--quiet", "a"});
    EXPECT_EQ(o.Run.Jobs, 64);
    EXPECT_TRUE(o.Run.KeepGoing && o.Quiet);
}

TEST(CliOptions, ValueAndShortForms)
{
    for (auto args : std::vector<std::vector<std::string>>{
             {"-o", "out", "--jobs", "3", "-k", "-q", "-u", "a"},
             {"--output=out", "--jobs=3", "--keep-going", "--quiet", "--update", "a"},
             {"-oout", "-j3", "-kqu", "a"},
             {"-kuqj", "3", "-o", "out", "a"},
             {"a", "-o", "out", "-j", "3", "-qku"},  // options after a FILE
             {"--out=out", "--jo", "3", "--keep", "--qu", "--up", "a"},  // unique abbreviations
         }) {
        const CliOptions o = ParseOptions(args);
        EXPECT_EQ(o.Job.OutputDir, "out") << args[0];
        EXPECT_EQ(o.Run.Jobs, 3) << args[0];
        EXPECT_TRUE(o.Run.KeepGoing && o.Quiet && o.Run.Update) << args[0];
        EXPECT_EQ(o.Files, std::vector<std::string>{"a"}) << args[0];
    }
    // After --, and as the value of an option, a word beginning with a dash is no option.
    const CliOptions o = ParseOptions({"--title", "-k", "-o", "-", "--", "-q", "--jobs=2"});
    EXPECT_EQ(o.Job.Title, "-k");
    EXPECT_EQ(o.Job.OutputDir, "-");
    EXPECT_FALSE(o.Run.KeepGoing || o.Quiet || o.Run.Update);
    EXPECT_EQ(o.Files, (std::vector<std::string>{"-q", "--jobs=2"}));
}

TEST(CliOptions, FilesFromListAfterTheArguments)
{
    test::ScratchDir dir;
    test::WriteFile(dir / "list", "b c.jpg\n\n/d/表.jpg\nlast-without-newline");
    const CliOptions o = ParseOptions({"-o", "d", "--files-from", dir / "list", "a.jpg"});
    EXPECT_EQ(o.Files, (std::vector<std::string>{"a.jpg", "b c.jpg", "/d/表.jpg", "last-without-newline"}));
    EXPECT_EQ(ParseOptions({"-o", "d", "--files-from=" + (dir / "list")}).Files.size(), 3u);

    for (const std::string& bad : {dir / "missing", dir.Path().string()}) {
        try {
            ParseOptions({"-o", "d", "--files-from", bad});
            ADD_FAILURE() << bad;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), EFOpenError(bad).Message());
        }
    }
    test::WriteFile(dir / "empty", "\n");
    EXPECT_THROW(ParseOptions({"-o", "d", "--files-from", dir / "empty"}), UsageError);
}

TEST(CliOptions, UsageErrorsSayWhatIsWrong)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a.jpg"}, "-o DIR is required"},
        {{"-o", "d"}, "no FILE given"},
        {{"-o", "d", "a", "--jobs"}, "option --jobs needs a value"},
        {{"-o", "d", "a", "-j"}, "option -j needs a value"},
        {{"-o", "d", "-x", "a"}, "unknown option -x"},
        {{"-o", "d", "--bogus=1", "a"}, "unknown option --bogus"},
        {{"-o", "d", "--small=yes", "a"}, "option --small takes no value"},
        {{"-o", "d", "--columns=0", "a"}, "--columns must be a number from 1 to 100"},
    };
    for (const auto& [args, message] : cases) {
        try {
            ParseOptions(args);
            ADD_FAILURE() << message;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    for (auto args : std::vector<std::vector<std::string>>{
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
        args.push_back("a.jpg");
        EXPECT_THROW(ParseOptions(args), UsageError) << args.back();
    }
}

TEST(CliOptions, HelpAndVersionNeedNoOutputFolder)
{
    EXPECT_TRUE(ParseOptions({"--version"}).Version);
    EXPECT_TRUE(ParseOptions({"-h"}).Help);
    EXPECT_FALSE(ParseOptions({"-o", "d", "a"}).Version);
    EXPECT_THROW(ParseOptions({"--version", "--bogus"}), UsageError);
}
