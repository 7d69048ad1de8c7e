// The run's services on a terminal.
#include "cli/ConsoleHost.h"

#include "common/Errors.h"
#include "gallery/Naming.h"

namespace kameola {

ConsoleHost::ConsoleHost(const GalleryJob& job, std::FILE* err, bool progress)
    : m_job(job), m_err(err), m_progress(progress)
{
}

MessageAnswer ConsoleHost::ShowMessage(const std::string& text, const std::string& caption,
                                       MessageButtons buttons)
{
    // The only question is whether to create the output directory: a batch run creates it.
    if (buttons == MessageButtons::YesNo)
        return MessageAnswer::Yes;
    (void)caption;
    m_notice = text;
    return MessageAnswer::Ok;
}

void ConsoleHost::SetProgress(int position)
{
    if (m_progress && position >= 0 && position < static_cast<int>(m_job.Entries.size()))
        DrawBar(position, BaseName(m_job.Entries[static_cast<std::size_t>(position)].Path));
}

void ConsoleHost::CopySkipped(const std::string& source, const std::string& target,
                              const std::string& reason)
{
    ClearBar();
    std::fprintf(m_err, "warning: %s not copied to %s: %s\n", source.c_str(), target.c_str(),
                 reason.c_str());
}

void ConsoleHost::EntryFailed(const std::string& path, const std::string& message)
{
    ClearBar();
    std::fprintf(m_err, "%s: %s\n", path.c_str(), WithFullStop(message).c_str());
}

void ConsoleHost::FinishProgress()
{
    if (m_barShown) {
        DrawBar(static_cast<int>(m_job.Entries.size()), "");
        std::fputc('\n', m_err);
        m_barShown = false;
    }
}

void ConsoleHost::ClearBar()
{
    if (m_barShown) {
        std::fputs("\r\033[K", m_err);
        m_barShown = false;
    }
}

void ConsoleHost::DrawBar(int done, const std::string& current)
{
    const int total = static_cast<int>(m_job.Entries.size());
    const int width = 30;
    int filled = total > 0 ? done * width / total : width;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), ' ');
    std::fprintf(m_err, "\r\033[K[%s] %d/%d %s", bar.c_str(), done, total, current.c_str());
    std::fflush(m_err);
    m_barShown = true;
}

} // namespace kameola
