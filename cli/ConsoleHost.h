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
    void SetProgressRange(int bottom, int top) override;
    void SetProgress(int position) override;
    void ProcessEvents() override {}
    void CopySkipped(const std::string& source, const std::string& target,
                     const std::string& reason) override;

    // The warning box's text when the run stopped on one, else empty.
    const std::string& Warning() const { return m_warning; }
    // Ends the progress line once the run is over.
    void FinishProgress();

private:
    void DrawBar(int done, const std::string& current);

    const GalleryJob& m_job;
    std::FILE* m_err;
    bool m_progress;
    bool m_barShown = false;
    std::string m_warning;
};

} // namespace kameola
