// SPDX-License-Identifier: MIT
// kameola-cli on folders, sorted lists and --files-from lists: the cells the page holds,
// the exit status and the messages.
#include "tests/cli/CliRun.h"
#include "tests/gallery/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// The link targets of the page's cells, in order, separated by spaces.
std::string Cells(const std::string& page)
{
    if (!fs::exists(page))
        return "(no page)";
    const std::string text = ReadFile(page);
    std::string cells;
    for (std::size_t at = 0; (at = text.find("HREF=\"", at)) != std::string::npos;) {
        at += 6;
        cells += (cells.empty() ? "" : " ") + text.substr(at, text.find('"', at) - at);
    }
    return cells;
}

// pics/ IMG_10.jpg IMG_2.jpg IMG_1.jpg .hidden.jpg notes.txt, sub1/a.jpg, sub2/a.jpg;
// empty/; lists naming a folder, a name with a CR, a name with a NUL byte.
void MakeTree(const ScratchDir& dir)
{
    for (const char* folder : {"pics/sub1", "pics/sub2", "empty"})
        fs::create_directories(dir / folder);
    for (const char* name : {"pics/IMG_10.jpg", "pics/IMG_2.jpg", "pics/IMG_1.jpg", "pics/.hidden.jpg",
                             "pics/sub1/a.jpg", "pics/sub2/a.jpg"})
        WriteJpeg(dir / name, 40, 30);
    WriteFile(dir / "pics/notes.txt", "notes");
    WriteFile(dir / "folder.list", "pics/sub2\n");
    WriteFile(dir / "crlf.list", "pics/IMG_1.jpg\r\n");
    WriteFile(dir / "nul.list", std::string("pics/IMG_1.jpg\npics/IMG_2.jpg\0.txt\n", 35));
}

} // namespace

TEST(CliFolders, FoldersSortsAndLists)
{
    ScratchDir dir;
    MakeTree(dir);
    const std::string cd = "cd " + Quote(dir.Path().string()) + " && LC_ALL=C";
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Cells;
        std::string Err;  // a part of stderr; empty: stderr is empty
    } cases[] = {
        {{"pics"}, 0, "IMG_1.jpg IMG_2.jpg IMG_10.jpg", ""},
        {{"pics/IMG_10.jpg", "pics/sub1"}, 0, "IMG_10.jpg a.jpg", ""},
        {{"--sort", "name", "pics/IMG_10.jpg", "pics/IMG_2.jpg"}, 0, "IMG_2.jpg IMG_10.jpg", ""},
        {{"--files-from", "folder.list"}, 0, "a.jpg", ""},
        // Same names in two subfolders: the copy rule keeps the first copy...
        {{"-r", "pics"}, 0, "IMG_1.jpg IMG_2.jpg IMG_10.jpg a.jpg a.jpg",
         "warning: " + dir.Path().string() + "/pics/sub2/a.jpg not copied to out/a.jpg"},
        // ...and two small images of one name clash, or the later file is left out.
        {{"-r", "--small", "pics"}, 1, "(no page)", dir.Path().string() + "/pics/sub2/a.jpg: "},
        {{"-r", "-k", "--small", "pics"}, 1, "IMG_1.jpg IMG_2.jpg IMG_10.jpg a.jpg",
         dir.Path().string() + "/pics/sub2/a.jpg: "},
        {{"empty"}, 2, "(no page)", "kameola-cli: no FILE given\nTry 'kameola-cli --help' for more information.\n"},
        {{"-r", "empty", "--files-from", "/dev/null"}, 2, "(no page)", "no FILE given"},
        {{"--files-from", "nul.list"}, 2, "(no page)",
         "kameola-cli: nul.list:2: NUL byte in a file name\nTry 'kameola-cli --help'"},
        {{"--files-from", "crlf.list"}, 1, "(no page)", "/pics/IMG_1.jpg\\r: "},
        {{"--sort", "size", "pics"}, 2, "(no page)", "--sort must be name, time or none"},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir / "out");
        std::vector<std::string> args = {"-o", "out"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const Result r = RunCli(args, dir, cd);
        const std::string name = c.Args.front() + " " + c.Args.back();
        EXPECT_EQ(r.Status, c.Status) << name << "\n" << r.Err;
        EXPECT_EQ(Cells(dir / "out/index.htm"), c.Cells) << name;
        if (c.Err.empty()) {
            EXPECT_EQ(r.Err, "") << name;
        } else {
            EXPECT_NE(r.Err.find(c.Err), std::string::npos) << name << "\n" << r.Err;
        }
        if (c.Status == 2) {
            EXPECT_FALSE(fs::exists(dir / "out")) << name;
        }
    }
}

TEST(CliFolders, UnreadableFolderIsAnErrorNamingIt)
{
    ScratchDir dir;
    MakeTree(dir);
    fs::create_directory(dir / "locked");
    WriteJpeg(dir / "locked/x.jpg", 40, 30);
    // Root reads every folder: the program then runs as nobody, which needs the scratch
    // folder open to it.
    std::string as;
    if (::geteuid() == 0) {
        if (std::system("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "running as root without setpriv";
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        for (const auto& item : fs::recursive_directory_iterator(dir.Path()))
            fs::permissions(item.path(), fs::perms::all, fs::perm_options::add);
        fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(dir / "locked", fs::perms::none);
    const std::string cd = "cd " + Quote(dir.Path().string()) + " && " + as;
    const std::string locked = dir.Path().string() + "/locked: ";

    Result r = RunCli({"-o", "out", "locked", "pics"}, dir, cd);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("kameola-cli: " + locked, 0), 0u) << r.Err;
    EXPECT_FALSE(fs::exists(dir / "out"));

    r = RunCli({"-o", "out", "-k", "-r", "pics/sub1", "locked", "pics/sub2"}, dir, cd);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(locked), std::string::npos) << r.Err;
    EXPECT_EQ(Cells(dir / "out/index.htm"), "a.jpg a.jpg");
    fs::permissions(dir / "locked", fs::perms::owner_all);
}
