// SPDX-License-Identifier: MIT
// Files named on the window's command line start in the list, as main hands them over.
#include "app/CommandLineFiles.h"
#include "app/ApplicationTitle.h"
#include "app/Unit1.h"
#include "tests/app/WindowFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kameola;
using namespace kameola::test;

namespace {

class CommandLine : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(QDir::setCurrent(dir.path()));
        ASSERT_TRUE(QDir().mkdir(QStringLiteral("pics")));
    }
    void TearDown() override { QDir::setCurrent(oldCurrent); }

    // Starts the window's list as main does with these arguments after the program name.
    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), "kameola");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        form.AddDroppedFiles(ParseCommandLine(static_cast<int>(args.size()), argv.data()).Files);
    }

    // The argument vector main is given, program name first.
    struct Argv {
        std::vector<std::string> words;
        std::vector<char*> pointers;
        explicit Argv(std::vector<std::string> args) : words(std::move(args))
        {
            words.insert(words.begin(), "kameola");
            for (std::string& word : words)
                pointers.push_back(word.data());
            pointers.push_back(nullptr);
        }
        int argc() { return static_cast<int>(words.size()); }
    };

    QString oldCurrent = QDir::currentPath();
};

} // namespace

TEST_F(CommandLine, TwoFilesBecomeTwoRowsWithAbsolutePaths)
{
    MakeFile("pics/a.jpg");
    MakeFile("写真 b.gif");
    Start({"./pics//a.jpg", dir.filePath("写真 b.gif").toStdString()});
    EXPECT_EQ(Rows(), (QStringList{dir.filePath("pics/a.jpg"), dir.filePath("写真 b.gif")}));
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(CommandLine, NoFilesLeaveTheListEmptyWithoutABox)
{
    Start({});
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(CommandLine, TheFirstFileThatCannotBeOpenedIsShownAndEndsTheAdding)
{
    MakeFile("1.jpg");
    MakeFile("3.jpg");
    Start({"1.jpg", "pics/2.jpg", "3.jpg", "pics"});
    EXPECT_EQ(Rows(), QStringList{dir.filePath("1.jpg")});
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EFOpenError(dir.filePath("pics/2.jpg").toStdString())));
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
}

TEST_F(CommandLine, OptionsAreToldApartFromFiles)
{
    MakeFile("-dash.jpg");
    struct Case {
        std::vector<std::string> args;
        EarlyRequest early;
        std::string unknown;
        std::vector<std::string> files;
    };
    const std::string here = dir.path().toStdString() + "/";
    const Case cases[] = {
        {{"--help", "a.jpg"}, EarlyRequest::Help, "--help", {here + "a.jpg"}},
        {{"a.jpg", "-h"}, EarlyRequest::Help, "-h", {here + "a.jpg"}},
        {{"-V"}, EarlyRequest::Version, "-V", {}},
        {{"--version"}, EarlyRequest::Version, "--version", {}},
        {{"-style", "-h", "x"}, EarlyRequest::None, "", {here + "x"}},  // -h names a style
        {{"-reverse", "--platform", "xcb", "-style=fusion", "b", "-bogus"}, EarlyRequest::None, "-bogus", {here + "b"}},
        {{"--", "-h", "-dash.jpg"}, EarlyRequest::None, "", {here + "-h", here + "-dash.jpg"}},
        {{"-x", "a", "--bogus"}, EarlyRequest::None, "-x", {here + "a"}},
        {{"-"}, EarlyRequest::None, "-", {}},
        {{"a", "--", "--"}, EarlyRequest::None, "", {here + "a", here + "--"}},
    };
    for (const Case& c : cases) {
        Argv argv(c.args);
        SCOPED_TRACE(argv.words.at(1));
        EXPECT_EQ(FindEarlyRequest(argv.argc(), argv.pointers.data()), c.early);
        const CommandLineArgs parsed = ParseCommandLine(argv.argc(), argv.pointers.data());
        EXPECT_EQ(parsed.UnknownOption, c.unknown);
        EXPECT_EQ(parsed.Files, c.files);
    }
}

// --help, --version and unknown options are answered by the built program with no display
// at all, and without one the program says so.
TEST(CommandLineProgram, HelpVersionAndUsageErrorsNeedNoDisplay)
{
    constexpr const char* kNoDisplay = "kameola: cannot open a display (set DISPLAY or WAYLAND_DISPLAY)\n";
    struct Case {
        const char* args;
        int status;
        const char* shows;
    };
    const Case cases[] = {
        {"--help", 0, "Usage: kameola [OPTION]... [--] [FILE]...\n"},
        {"-h", 0, "Usage: kameola"},
        {"--version", 0, "kameola " KAMEOLA_VERSION "\n"},
        {"-V", 0, "kameola " KAMEOLA_VERSION "\n"},
        {"--version", 0, "\nCopyright (c) 2026 The KAMEOLA developers\nLicense MIT"},
        {"-platform offscreen --no-such-option 2>&1", 2, "kameola: unknown option '--no-such-option'\n"},
        {"--bogus 2>&1", 2, "kameola: unknown option '--bogus'\nTry 'kameola --help' for more information.\n"},
        {"-x a.jpg 2>&1", 2, "kameola: unknown option '-x'\n"},
        // No display to open: a message, not Qt's abort.
        {"a.jpg 2>&1", 1, kNoDisplay},
        {"-display :4711 a.jpg 2>&1", 1, kNoDisplay},
        {"-platform wayland 2>&1", 1, kNoDisplay},
        {"-platform 'wayland;xcb' 2>&1", 1, kNoDisplay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string command =
            std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "
                        "XDG_RUNTIME_DIR=/nonexistent ") + KAMEOLA_PROGRAM + " " + c.args + " </dev/null";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        const int status = ::pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_NE(out.find(c.shows), std::string::npos) << out;
    }
    const std::string help = CommandLineHelp();
    for (const char* part : {"--help", "--version", "-platform", "-style", "FILE"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

// A name that is not UTF-8 (CP932 bytes from an unpacked archive) is listed with U+FFFD
// where a byte is not UTF-8, and the run is given its bytes, from the command line or a drop.
TEST_F(CommandLine, NamesThatAreNotUtf8KeepTheirBytes)
{
    const std::string name = "\x83\x65\x83\x58\x83\x67 100%.jpg";  // テスト in CP932
    const std::string path = dir.path().toStdString() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "xyz", 3), 3);
    ::close(fd);

    Start({name});
    QMimeData data;  // what a file manager puts in a drop
    data.setData(QStringLiteral("text/uri-list"),
                 "# a comment line\r\nfile://" + QByteArray::fromStdString(dir.path().toStdString()).toPercentEncoding("/")
                     + "/%83e%83X%83g%20100%25.jpg\r\n");
    Drop(data);

    EXPECT_TRUE(services.boxes.empty());
    const QString shown = dir.path() + "/\uFFFDe\uFFFDX\uFFFDg 100%.jpg";
    EXPECT_EQ(Rows(), (QStringList{shown, shown}));
    const GalleryJob job = form.GatherJob();
    ASSERT_EQ(job.Entries.size(), 2u);
    EXPECT_EQ(job.Entries[0].Path, path);
    EXPECT_EQ(job.Entries[1].Path, path);
}
