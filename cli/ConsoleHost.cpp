// SPDX-License-Identifier: MIT
// The run's services on a terminal.
#include "cli/ConsoleHost.h"

#include "common/Errors.h"
#include "gallery/Naming.h"
#include "cli/Terminal.h"

#include <algorithm>

namespace kameola {

namespace {

const char* const kPrefix = "kameola-cli: ";

} // namespace

std::string CountOf(int count, const std::string& singular, const std::string& plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

ConsoleHost::ConsoleHost(const GalleryJob& job, std::FILE* err, const ConsoleSettings& settings)
    : m_job(job), m_err(err), m_settings(settings)
{
    if (m_settings.Quiet)
        m_settings.Bar = false;
}

MessageAnswer ConsoleHost::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageButtons buttons)
{
    (void)caption;
    if (buttons == MessageButtons::YesNo)
        return MessageAnswer::No;
    m_notice = text;
    return MessageAnswer::Ok;
}

void ConsoleHost::SetProgress(int position)
{
    if (m_settings.Bar && position >= 0 && position < static_cast<int>(m_job.Entries.size()))
        DrawBar(position, BaseName(m_job.Entries[static_cast<std::size_t>(position)].Path));
}

void ConsoleHost::CopySkipped(const std::string& source, const std::string& target,
                              const std::string& reason)
{
    // Not copying onto an existing or a listed file is the copy rule, not a failure.
    const bool exists = reason == kTargetExists || reason == kTargetListed;
    if (!exists)
        m_copyFailed = true;
    if (exists && m_settings.Quiet)
        return;
    PrintLine(std::string(kPrefix) + "warning: " + source + " not copied to " + target + ": " + reason);
}

void ConsoleHost::EntryFailed(const std::string& path, const std::string& message)
{
    ++m_failed;
    Error(path, message);
}

void ConsoleHost::Error(const std::string& name, const std::string& message)
{
    std::string line = kPrefix;
    if (!name.empty())
        line += name + ": ";
    PrintLine(line + WithFullStop(message));
}

void ConsoleHost::Finished(const RunStats& stats)
{
    FinishProgress();
    if (!m_settings.Terminal || m_settings.Quiet)
        return;
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_started;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", taken.count());
    PrintLine(std::string(kPrefix) + CountOf(stats.Cells, "entry", "entries") + ", " +
              std::to_string(m_failed) + " failed, " +
              CountOf(stats.SmallImages, "small image", "small images") + ", " +
              CountOf(stats.Conversions, "conversion", "conversions") + ", " +
              CountOf(stats.SkippedCopies, "copy", "copies") + " skipped; wrote " + stats.Page +
              " in " + seconds + " s");
}

void ConsoleHost::FinishProgress()
{
    if (m_barShown) {
        DrawBar(static_cast<int>(m_job.Entries.size()), "");
        std::fputc('\n', m_err);
        std::fflush(m_err);
        m_barShown = false;
    }
}

void ConsoleHost::PrintLine(const std::string& line)
{
    ClearBar();
    // A CR, such as one left at the end of a name from a list written on Windows, would
    // take the cursor back over the line: it shows as "\r".
    std::string shown;
    for (char c : line)
        shown += c == '\r' ? std::string("\\r") : std::string(1, c);
    const std::string text = m_settings.Terminal ? HarmlessText(shown) : shown;
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
}

void ConsoleHost::ClearBar()
{
    if (m_barShown) {
        std::fputs("\r\033[K", m_err);
        m_barShown = false;
    }
}

// [#####     ] 12/300 name: one line that stays inside the terminal's width (its last
// column left free, where some terminals wrap at once).
void ConsoleHost::DrawBar(int done, const std::string& current)
{
    const int total = static_cast<int>(m_job.Entries.size());
    const int room = std::max(m_settings.Columns - 1, 1);
    const std::string count = " " + std::to_string(done) + "/" + std::to_string(total);
    const int cells = std::min(30, (room - static_cast<int>(count.size())) / 3 - 2);
    std::string line;
    if (cells >= 3) {
        const int filled = total > 0 ? done * cells / total : cells;
        line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(cells - filled), ' ') + "]";
    }
    line += count;
    const int left = room - DisplayWidth(line) - 1;
    if (!current.empty() && left > 0)
        line += " " + ShortenMiddle(HarmlessText(current), left);
    line = ShortenMiddle(line, room);
    std::fprintf(m_err, "\r\033[K%s", line.c_str());
    std::fflush(m_err);
    m_barShown = true;
}

} // namespace kameola
