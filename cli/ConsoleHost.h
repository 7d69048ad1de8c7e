// SPDX-License-Identifier: MIT
// The run's services on a terminal: messages, warnings, progress bar and summary on stderr.
#pragma once

#include "gallery/Job.h"
#include "gallery/RunHost.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace kameola {

struct ConsoleSettings {
    bool Terminal = false;  // err is a terminal: control bytes show as "?", a summary ends the run
    bool Bar = false;       // draw a progress bar (a terminal that can move its cursor)
    bool Quiet = false;     // errors only
    int Columns = 80;       // the terminal's width
    int WidthFd = -1;       // when not -1, the width is read again from it after a resize
};

class ConsoleHost : public RunHost {
public:
    ConsoleHost(const GalleryJob& job, std::FILE* err, const ConsoleSettings& settings);

    // A batch run answers no question (the run is told to create a missing folder) and
    // shows no notice: the run's outcome says what it was.
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int position) override;
    void ProcessEvents() override {}
    // kameola-cli: warning: SOURCE not copied to TARGET: REASON. A copy skipped because its
    // target exists is shown unless quiet; any other failed copy always, and noted.
    void CopySkipped(const std::string& source, const std::string& target,
                     const MessageText& reason) override;
    // kameola-cli: PATH: MESSAGE.; also for a file that could not be opened.
    void EntryFailed(const std::string& path, const MessageText& message) override;
    // Ends the bar and, on a terminal unless quiet, prints the summary line.
    void Finished(const RunStats& stats) override;

    // kameola-cli: NAME: MESSAGE. (without "NAME: " when name is empty), with the "." rule,
    // in the user's language.
    void Error(const std::string& name, const MessageText& message);
    // kameola-cli: TEXT, the text already in the user's language and codeset.
    void Say(const std::string& text);
    // Takes the bar off the screen, leaving its line as it was drawn last.
    void FinishProgress();

    // Entries that failed, those that could not be opened included.
    int FailedEntries() const { return m_failed; }
    // Whether a copy failed for another reason than an existing target.
    bool CopyFailed() const { return m_copyFailed; }

private:
    void DrawBar(int done, const std::string& current);
    void ClearBar();
    void PrintLine(const std::string& line);

    const GalleryJob& m_job;
    std::FILE* m_err;
    ConsoleSettings m_settings;
    bool m_barShown = false;
    int m_failed = 0;
    bool m_copyFailed = false;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

} // namespace kameola
