// SPDX-License-Identifier: MIT
// The sample run of the parallel and update tests: eight entries of every kind, a job over
// them into a folder of the scratch folder, and the folder's files with their bytes.
#pragma once

#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Job.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace kameola::test {

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> FolderContents(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(folder))
        return files;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        files[item.path().filename().string()] = ReadFile(item.path().string());
    return files;
}

// Stops the run (as a closed window does) once the gauge has reached a position.
class AbortingHost : public RecordingHost {
public:
    explicit AbortingHost(int stopAt) : m_stopAt(stopAt) {}
    void ProcessEvents() override
    {
        RecordingHost::ProcessEvents();
        if (!Positions.empty() && Positions.back() == m_stopAt)
            throw EAbort();
    }

private:
    int m_stopAt;
};

class ParallelRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string src = dir / "src";
        std::filesystem::create_directory(src);
        auto add = [&](const std::string& name) {
            paths.push_back(src + "/" + name);
            return paths.back();
        };
        WriteJpeg(add("a.jpg"), 640, 480, false, false);
        WriteJpeg(add("b.jpg"), 300, 500, true, false);
        WriteJpeg(add("c.jpeg"), 333, 211, false, true);
        WriteBmp(add("d.bmp"), 120, 90, 0x204080);
        WriteFile(add("e.gif"), "GIF89a not decoded");
        WriteJpeg(add("f.JPG"), 97, 13, true, false);
        WriteBmp(add("g.bmp"), 7, 300, 0xff0000);
        WriteJpeg(add("h.jpg"), 800, 600, false, false);
    }

    GalleryJob Job(const std::string& out) const
    {
        GalleryJob job = JobIn(dir / out, {});
        job.Columns = 3;
        job.MakeSmallImages = true;
        job.ShowFileNames = true;
        job.NumberEntries = true;
        for (const std::string& path : paths)
            job.Entries.push_back({path, ""});
        return job;
    }

    // Runs the job and returns the error's message (empty when it succeeded), with the
    // index of the entry it came from.
    static std::string RunWith(const GalleryJob& job, int jobs, RecordingHost& host,
                               int* entry = nullptr)
    {
        try {
            RunGallery(job, host, RunOptions{jobs, false});
        } catch (const Exception& e) {
            if (entry)
                *entry = e.EntryIndex();
            return e.Message();
        }
        return "";
    }

    ScratchDir dir;
    std::vector<std::string> paths;
};

} // namespace kameola::test
