// SPDX-License-Identifier: MIT
// The life of a temporary file: a writer killed between naming its file and putting it in
// place leaves it behind, the next run removes it, and no file of the run ever has its form.
#include "common/Errors.h"
#include "common/OutputFile.h"
#include "common/FileSystemCalls.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/MissingCalls.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// The writer dies once its file is written, just before it would take its final name.
int KilledBeforePlacing(int)
{
    ::raise(SIGKILL);
    return -1;
}

struct KilledWriter {
    const char* Name;
    bool Unnamed;                 // the file system has O_TMPFILE
    int (*CloseCall)(int);        // replaces close when set
    bool KillAfterNaming;         // replaces the naming of the unnamed file
    std::size_t FileSizeLimit;    // SIGXFSZ kills a write past it
};

} // namespace

TEST(Leftovers, AKilledWritersFileGoesWithTheNextRun)
{
    const KilledWriter writers[] = {
        {"named temporary, killed before its rename", false, KilledBeforePlacing, false,
         std::numeric_limits<std::size_t>::max()},
        {"unnamed file, killed between naming and rename", true, nullptr, true,
         std::numeric_limits<std::size_t>::max()},
        {"copy of a large file, killed while writing", false, nullptr, false, 256 << 10},
    };
    for (const KilledWriter& writer : writers) {
        SCOPED_TRACE(writer.Name);
        ScratchDir dir;
        const std::string web = dir / "web";
        fs::create_directory(web);
        WriteFile(dir / "big.gif", "GIF89a" + std::string(1 << 20, 'g'));
        GalleryJob job;
        job.OutputDir = web;
        job.Entries.push_back({dir / "big.gif", ""});
        // Copied only where the kill comes while the copy is written.
        job.LinkInPlace = writer.FileSizeLimit > (1u << 20);

        const ChildResult child = RunWithFileSizeLimit(writer.FileSizeLimit, false, [&] {
            detail::FileSystemCalls& calls = detail::OutputFileCalls();
            if (!writer.Unnamed)
                calls.OpenUnnamed = NoUnnamed;
            if (writer.CloseCall)
                calls.Close = writer.CloseCall;
            if (writer.KillAfterNaming) {
                static int (*real)(int, const char*) = calls.LinkDescriptor;
                calls.LinkDescriptor = [](int fd, const char* to) {
                    if (real(fd, to) == 0)
                        ::raise(SIGKILL);
                    return -1;
                };
            }
            RecordingHost childHost;
            RunGallery(job, childHost);
        });
        ASSERT_FALSE(child.Exited) << child.Error;
        ASSERT_EQ(TemporaryFilesIn(web).size(), 1u);

        RecordingHost host;
        RunGallery(job, host);
        EXPECT_TRUE(TemporaryFilesIn(web).empty());
        EXPECT_TRUE(fs::exists(web + "/index.htm"));
    }
}

TEST(Leftovers, NoOutputTakesTheTemporaryForm)
{
    // A later run would take such a file for a leftover and remove it.
    const std::string name = TemporaryFileName("Ab12Cd34Ef56");
    struct Case {
        const char* Name;
        void (*Shape)(GalleryJob& job, const std::string& file);
    };
    const Case cases[] = {
        {"a listed entry's copy",
         [](GalleryJob& job, const std::string& file) { job.Entries.push_back({file, ""}); }},
        {"the background's copy",
         [](GalleryJob& job, const std::string& file) { job.Style.BackgroundImage = file; }},
        {"the page", [](GalleryJob& job, const std::string& file) {
             job.PageName = fs::path(file).filename().string();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ScratchDir dir;
        const std::string web = dir / "web";
        fs::create_directory(web);
        WriteFile(dir / "a.gif", "GIF89a");
        WriteFile(web + "/" + name, "GIF89a listed");
        GalleryJob job;
        job.OutputDir = web;
        job.LinkInPlace = false;
        job.Entries.push_back({dir / "a.gif", ""});
        c.Shape(job, web + "/" + name);
        RecordingHost host;
        try {
            RunGallery(job, host);
            ADD_FAILURE() << "the run went on";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), EFCreateError(web + "/" + name).Message());
        }
        EXPECT_EQ(ReadFile(web + "/" + name), "GIF89a listed");
        // Going on without the entry, the run's sweep still keeps the listed file.
        if (c.Name == cases[0].Name) {
            RunGallery(job, host, RunOptions{.KeepGoing = true});
            EXPECT_EQ(host.Failures.size(), 1u);
            EXPECT_EQ(ReadFile(web + "/" + name), "GIF89a listed");
        }
    }
}
