// The run's services on a terminal: questions answered Yes, warnings and progress on stderr.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"

#include <cstdio>
#include <string>

namespace kameola {

class ConsoleHost : public RunHost {
public:
    // progress: draw a progress bar on err (only when it is a terminal).
    ConsoleHost(const GalleryJob& job, std::FILE* err, bool progress);

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int position) override;
    void ProcessEvents() override {}
    void CopySkipped(const std::string& source, const std::string& target,
                     const std::string& reason) override;
    // Also for a file that could not be added: PATH: message.
    void EntryFailed(const std::string& path, const std::string& message) override;
    void Finished(const RunStats& stats) override { m_stats = stats; }

    // What the run wrote, once it has finished.
    const RunStats& Stats() const { return m_stats; }

    // The text of the last notice shown (such as the warning that ended a run).
    const std::string& Notice() const { return m_notice; }
    // Ends the progress line once the run is over.
    void FinishProgress();

private:
    void DrawBar(int done, const std::string& current);
    // Takes the bar off its line, so that a message can be printed there.
    void ClearBar();

    const GalleryJob& m_job;
    std::FILE* m_err;
    bool m_progress;
    bool m_barShown = false;
    std::string m_notice;
    RunStats m_stats;
};

} // namespace kameola
