// SPDX-License-Identifier: MIT
// The run's services on a terminal.
#include "cli/ConsoleHost.h"

#include "common/Errors.h"
#include "gallery/Naming.h"
#include "cli/Language.h"
#include "cli/Terminal.h"

#include <algorithm>

namespace kameola {

namespace {

const char* const kPrefix = "kameola-cli: ";

} // namespace

namespace {

// "1 conversion", "2 conversions": the count and the word for it, in the locale's codeset.
std::string CountOf(int count, const CliText& text)
{
    const std::string number = std::to_string(count);
    return Compose(Translate(text, static_cast<unsigned long>(count)), {number}, false);
}

} // namespace

ConsoleHost::ConsoleHost(const GalleryJob& job, std::FILE* err, const ConsoleSettings& settings)
    : m_job(job), m_err(err), m_settings(settings)
{
    if (m_settings.Quiet)
        m_settings.Bar = false;
    if (m_settings.Bar && m_settings.WidthFd != -1)
        WatchTerminalSize();
}

MessageAnswer ConsoleHost::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageButtons buttons)
{
    (void)text;
    (void)caption;
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

void ConsoleHost::SetProgress(int position)
{
    if (m_settings.Bar && position >= 0 && position < static_cast<int>(m_job.Entries.size()))
        DrawBar(position, BaseName(m_job.Entries[static_cast<std::size_t>(position)].Path));
}

void ConsoleHost::CopySkipped(const std::string& source, const std::string& target,
                              const MessageText& reason)
{
    // Not copying onto an existing or a listed file is the copy rule, not a failure.
    const bool exists = reason.Id == MessageId::TargetExists || reason.Id == MessageId::TargetListed;
    if (!exists)
        m_copyFailed = true;
    if (exists && m_settings.Quiet)
        return;
    const bool terminal = m_settings.Terminal;
    Say(Compose(Translate(texts::CopyWarning.English), {source, target, Localized(reason, terminal, false)},
                terminal));
}

void ConsoleHost::EntryFailed(const std::string& path, const MessageText& message)
{
    ++m_failed;
    Error(path, message);
}

void ConsoleHost::Error(const std::string& name, const MessageText& message)
{
    const bool terminal = m_settings.Terminal;
    Say((name.empty() ? std::string() : NameForOutput(name, terminal) + ": ") + Localized(message, terminal));
}

void ConsoleHost::Say(const std::string& text)
{
    PrintLine(kPrefix + text);
}

void ConsoleHost::Finished(const RunStats& stats)
{
    FinishProgress();
    if (!m_settings.Terminal || m_settings.Quiet)
        return;
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_started;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", taken.count());
    Say(Compose(Translate(texts::Summary.English),
                {CountOf(stats.Cells, texts::Entries), std::to_string(m_failed),
                 CountOf(stats.SmallImages, texts::SmallImages), CountOf(stats.Conversions, texts::Conversions),
                 CountOf(stats.SkippedCopies, texts::Copies), stats.Page, seconds},
                m_settings.Terminal));
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
    std::fprintf(m_err, "%s\n", line.c_str());
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
    if (m_settings.WidthFd != -1 && TerminalResized())
        m_settings.Columns = TerminalColumns(m_settings.WidthFd);
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
