// SPDX-License-Identifier: MIT
// One picture per output in a folder that folds letter case: an output never takes the
// place of another output of the same run, whatever names the folder folds together.
#include "common/Errors.h"
#include "gallery/Prepare.h"
#include "gallery/Run.h"
#include "tests/gallery/SampleRun.h"
#include "tests/support/FoldingNames.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// A listed file: a JPEG or BMP of this size (by its extension), any other file when the
// width is 0, or a second name of an earlier file.
struct Source {
    const char* Name;
    int Width = 0;
    int Height = 0;
    const char* SameAs = nullptr;
};

enum class Holds { Copy, SmallImage, Conversion, Page };

// What a file of the output folder holds, and of which listed file.
struct Content {
    Holds Kind;
    const char* Of = "";
};

struct FoldCase {
    const char* Name;
    std::vector<Source> Entries;  // in list order; a name listed again is the same file
    bool Small = false;
    bool KeepGoing = false;
    const char* Clash = nullptr;  // the output the run stops on; nullptr when it does not
    int ClashEntry = -1;          // the entry it stops on; -1 for the page
    std::map<std::string, Content> Folder;  // every file in the output folder afterwards
    int Skipped = 0;  // copies skipped, as onto an existing file
    int Failed = 0;   // entries left out
    // With update: the first entries were written by an earlier run, which this one updates.
    std::size_t Before = 0;
};

class CaseFolding : public ::testing::Test {
protected:
    void MakeSources(const FoldCase& c)
    {
        fs::create_directory(dir / "src");
        for (const Source& s : c.Entries) {
            const std::string path = Src(s.Name);
            m_sizes[s.Name] = {s.Width, s.Height};
            if (fs::exists(path))
                continue;
            const std::string ext = fs::path(s.Name).extension().string();
            if (s.SameAs)
                fs::create_hard_link(Src(s.SameAs), path);
            else if (s.Width == 0)
                WriteFile(path, std::string("bytes of ") + s.Name);
            else if (ext == ".bmp")
                WriteBmp(path, s.Width, s.Height);
            else
                WriteJpeg(path, s.Width, s.Height);
        }
    }

    std::string Src(const std::string& name) const { return dir / ("src/" + name); }

    // Why the file does not hold what it should; empty when it does.
    std::string Check(const std::string& file, const Content& content)
    {
        const auto [w, h] = m_sizes[content.Of];
        switch (content.Kind) {
        case Holds::Copy:
            return ReadFile(file) == ReadFile(Src(content.Of)) ? "" : "not a copy";
        case Holds::SmallImage:
            return JpegSize(file) == std::make_pair(100, ThumbHeight(100, h, w)) ? ""
                                                                                 : "wrong size";
        case Holds::Conversion:
            return JpegSize(file) == std::make_pair(w, h) ? "" : "wrong size";
        case Holds::Page:
            return ReadFile(file).rfind("<HTML>", 0) == 0 ? "" : "not a page";
        }
        return "?";
    }

    ScratchDir dir;
    std::map<std::string, std::pair<int, int>> m_sizes;
};

// Cells show the small images; with `d.jpg` and `D.jpg` one file under two names.
const FoldCase kCases[] = {
    {"SmallImageOntoSmallImage",
     {{"a.jpg", 64, 48}, {"A.jpg", 48, 64}},
     true, false, "As.jpg", 1,
     {{"as.jpg", {Holds::SmallImage, "a.jpg"}}, {"a.jpg", {Holds::Copy, "a.jpg"}}}},
    {"SmallImageOntoSmallImageKeepingGoing",
     {{"a.jpg", 64, 48}, {"A.jpg", 48, 64}, {"b.gif"}},
     true, true, nullptr, -1,
     {{"as.jpg", {Holds::SmallImage, "a.jpg"}}, {"a.jpg", {Holds::Copy, "a.jpg"}},
      {"b.gif", {Holds::Copy, "b.gif"}}, {"index.htm", {Holds::Page}}},
     0, 1},
    {"SmallImageOntoCopy",
     {{"aS.jpg", 64, 48}, {"a.jpg", 48, 64}},
     true, false, "as.jpg", 1,
     {{"aSs.jpg", {Holds::SmallImage, "aS.jpg"}}, {"aS.jpg", {Holds::Copy, "aS.jpg"}}}},
    {"ConversionOntoCopy",
     {{"x.jpg", 64, 48}, {"X.bmp", 30, 20}},
     false, false, "X.jpg", 1,
     {{"x.jpg", {Holds::Copy, "x.jpg"}}}},
    {"CopyOntoSmallImageLeavesNothingOfItsEntry",
     {{"b.jpg", 64, 48}, {"BS.JPG", 48, 64}},
     true, true, nullptr, -1,
     {{"bs.jpg", {Holds::SmallImage, "b.jpg"}}, {"b.jpg", {Holds::Copy, "b.jpg"}},
      {"index.htm", {Holds::Page}}},
     0, 1},
    {"CopyOntoCopyIsSkipped",
     {{"c.gif"}, {"C.GIF"}},
     false, false, nullptr, -1,
     {{"c.gif", {Holds::Copy, "c.gif"}}, {"index.htm", {Holds::Page}}},
     1},
    {"SameFileListedAgainWritesItsOwnOutputs",
     {{"d.jpg", 64, 48}, {"D.jpg", 64, 48, "d.jpg"}, {"d.jpg", 64, 48}},
     true, false, nullptr, -1,
     {{"ds.jpg", {Holds::SmallImage, "d.jpg"}}, {"d.jpg", {Holds::Copy, "d.jpg"}},
      {"index.htm", {Holds::Page}}},
     2},
    {"PageOntoCopy",
     {{"INDEX.HTM"}},
     false, true, "index.htm", -1,
     {{"INDEX.HTM", {Holds::Copy, "INDEX.HTM"}}}},
    {"UpdateKeepsAnEarlierSmallImageForItsOwnEntry",
     {{"a.jpg", 64, 48}, {"A.jpg", 48, 64}},
     true, false, "As.jpg", 1,
     {{"as.jpg", {Holds::SmallImage, "a.jpg"}}, {"a.jpg", {Holds::Copy, "a.jpg"}},
      {"index.htm", {Holds::Page}}},
     0, 0, 1},
};

// Runs the job in the folder, folding names; the error's message and entry, if any.
std::pair<std::string, int> RunFolding(const GalleryJob& job, RecordingHost& host,
                                       const RunOptions& options)
{
    FoldingNames folding(job.OutputDir);
    try {
        RunGallery(job, host, options);
    } catch (const Exception& e) {
        return {e.Message(), e.EntryIndex()};
    }
    return {"", -1};
}

} // namespace

TEST_F(CaseFolding, NoOutputTakesTheFileOfAnother)
{
    for (const FoldCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(dir / "src");
        fs::remove_all(dir / "web");
        MakeSources(c);
        const std::string out = dir / "web";
        GalleryJob job = JobIn(out, {});
        job.MakeSmallImages = c.Small;
        for (const Source& s : c.Entries)
            job.Entries.push_back({Src(s.Name), ""});

        fs::create_directory(out);
        RecordingHost host;
        if (c.Before > 0) {
            GalleryJob earlier = job;
            earlier.Entries.resize(c.Before);
            ASSERT_EQ(RunFolding(earlier, host, RunOptions{2}).first, "");
        }
        const auto [error, entry] =
            RunFolding(job, host, RunOptions{2, c.KeepGoing, false, c.Before > 0});
        EXPECT_EQ(error, c.Clash ? EFCreateError(out + "/" + c.Clash).Message() : "");
        EXPECT_EQ(entry, c.ClashEntry);
        EXPECT_EQ(host.Skipped.size(), static_cast<std::size_t>(c.Skipped));
        EXPECT_EQ(host.Failures.size(), static_cast<std::size_t>(c.Failed));
        std::map<std::string, std::string> found;
        for (const auto& [name, bytes] : FolderContents(out)) {
            const auto expected = c.Folder.find(name);
            found[name] =
                expected == c.Folder.end() ? "extra" : Check(out + "/" + name, expected->second);
        }
        for (const auto& [name, content] : c.Folder)
            found.emplace(name, "missing");
        for (const auto& [name, problem] : found)
            EXPECT_EQ(problem, "") << name;
    }
}
