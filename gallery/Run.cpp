// The gallery run: checks the output directory, has the workers prepare every entry,
// commits them in list order and writes the page.
#include "gallery/Run.h"

#include "common/Errors.h"
#include "common/OutputFile.h"
#include "gallery/ListedFiles.h"
#include "gallery/Naming.h"
#include "gallery/Page.h"
#include "gallery/detail/Prepare.h"
#include "gallery/detail/Workers.h"

#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

namespace kameola {

namespace {

// Copies a file by the copy rule: never over an existing file, failures only reported to
// the host, which may tell the user but does not stop the run.
// With an open source the copy reads from it, else it opens source.
void CopyByRule(const std::string& source, const std::string& target, RunHost& host,
                RunStats& stats, const FileHandle& opened = FileHandle(-1))
{
    std::string reason;
    const auto between = [&host] { host.KeepResponsive(); };
    if (!(opened.Valid() ? CopyFileNoReplace(opened.Get(), target, &reason, between)
                         : CopyFileNoReplace(source, target, &reason, between))) {
        ++stats.SkippedCopies;
        host.CopySkipped(source, target, reason);
    }
}

// Restores the host's cursor when the run leaves its busy part, normally or by an error.
class BusyCursor {
public:
    explicit BusyCursor(RunHost& host) : m_host(host) { m_host.ShowBusyCursor(); }
    ~BusyCursor() { Restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void Restore()
    {
        if (m_busy) {
            m_busy = false;
            m_host.RestoreCursor();
        }
    }

private:
    RunHost& m_host;
    bool m_busy = true;
};

// Hands out the prepared entries in list order. With more than one job the entries are
// prepared ahead on worker threads, at most jobs + 1 of them between the start of their
// preparation and their commit; with one job each is prepared when it is asked for.
class EntryPipeline {
public:
    EntryPipeline(const GalleryJob& job, int jobs) : m_job(job)
    {
        if (jobs > 1) {
            m_workers = std::make_unique<Workers>(jobs);
            while (m_submitted < m_job.Entries.size() && m_submitted < static_cast<std::size_t>(jobs) + 1)
                SubmitNext();
        }
    }

    // The next entry's preparation; rethrows its error. Keeps the host responsive while
    // the entry is still being prepared.
    PreparedEntry Next(RunHost& host)
    {
        const std::string& path = m_job.Entries[m_taken].Path;
        ++m_taken;
        if (!m_workers)
            return PrepareEntry(path, m_job);
        std::future<PreparedEntry> result = std::move(m_pending.front());
        m_pending.pop_front();
        SubmitNext();
        while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            host.KeepResponsive();
        return result.get();
    }

private:
    void SubmitNext()
    {
        if (m_submitted >= m_job.Entries.size())
            return;
        const std::string& path = m_job.Entries[m_submitted].Path;
        const GalleryJob& job = m_job;
        m_pending.push_back(m_workers->Submit([&path, &job] { return PrepareEntry(path, job); }));
        ++m_submitted;
    }

    const GalleryJob& m_job;
    std::size_t m_submitted = 0;
    std::size_t m_taken = 0;
    std::deque<std::future<PreparedEntry>> m_pending;
    std::unique_ptr<Workers> m_workers;  // last: stopped first, before the futures go
};

struct Cell {
    std::string Link;
    std::string Source;
    int Width = 0;
    int Height = 0;
};

// Writes a prepared file and notes its name.
void WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::vector<std::string>& written)
{
    WriteFileReplacing(path, bytes);
    written.push_back(path);
}

// Takes the entry's preparation and puts its files in place: its small image, then its
// conversion or copy. Returns what its cell shows; the files written go to written.
Cell CommitEntry(const std::string& path, EntryPipeline& entries, const GalleryJob& job,
                 const ListedFiles& listed, RunHost& host, RunStats& stats,
                 std::vector<std::string>& written)
{
    const std::string name = BaseName(path);
    const FileClass fileClass = ClassifyExtension(path);
    const bool small = job.MakeSmallImages && fileClass != FileClass::Other;
    const std::string smallPath = JoinOutputPath(job.OutputDir, SmallImageName(name, fileClass));
    // A small image that would replace a listed file is refused before the entry is read,
    // where a one-at-a-time run refused it.
    if (small)
        listed.RefuseListed(smallPath);
    const PreparedEntry prepared = entries.Next(host);
    if (prepared.SmallImage) {
        WriteOutput(smallPath, *prepared.SmallImage, written);
        ++stats.SmallImages;
    }

    // Only JPEG files have a small image under this name in copy mode.
    const bool smallJpeg = job.MakeSmallImages && fileClass == FileClass::Jpeg;
    const std::string source = smallJpeg ? SmallImageName(name, fileClass) : name;
    if (job.LinkInPlace) {
        const std::string url = FileUrl(path);
        return {url, small ? SmallImageName(name, fileClass) : url, prepared.Width, prepared.Height};
    }
    if (fileClass == FileClass::Bmp) {
        if (prepared.ConversionError)
            std::rethrow_exception(prepared.ConversionError);
        const std::string converted = ChangeExtension(name, ".jpg");
        if (prepared.Conversion) {
            const std::string convertedPath = JoinOutputPath(job.OutputDir, converted);
            listed.RefuseListed(convertedPath);
            WriteOutput(convertedPath, *prepared.Conversion, written);
            ++stats.Conversions;
        }
        return {converted, ChangeExtension(source, ".jpg"), prepared.Width, prepared.Height};
    }
    CopyByRule(path, JoinOutputPath(job.OutputDir, name), host, stats, prepared.Source);
    return {name, source, prepared.Width, prepared.Height};
}

int WorkerCount(const RunOptions& options)
{
    int jobs = options.Jobs > 0 ? options.Jobs : AvailableCpuCount();
    return jobs > kJobsRange.Max ? kJobsRange.Max : jobs;
}

} // namespace

namespace {

RunOutcome RunSteps(const GalleryJob& job, RunHost& host, const RunOptions& options)
{
    if (job.OutputDir.empty()) {
        host.ShowMessage("出力先ディレクトリを指定してください", "警告", MessageButtons::Ok);
        return RunOutcome::NoOutputDir;
    }
    if (!DirectoryExists(job.OutputDir)) {
        if (host.ShowMessage("ディレクトリを作成しても構いませんか？", "確認",
                             MessageButtons::YesNo) != MessageAnswer::Yes)
            return RunOutcome::Declined;
        CreateDirectoryChain(job.OutputDir);
    }

    BusyCursor cursor(host);
    const int count = static_cast<int>(job.Entries.size());
    const int columns = job.Columns > 0 ? job.Columns : 1;  // the windows keep it in 1..100
    // A gauge refuses a range whose top is below its bottom, as for an empty list.
    if (count < 1)
        throw EInvalidOperation(1, 2147483647);
    host.SetProgressRange(0, count - 1);
    std::vector<std::string> keep{job.Style.BackgroundImage};
    for (const auto& entry : job.Entries)
        keep.push_back(entry.Path);
    RemoveStaleTemporaries(job.OutputDir, keep);

    RunStats stats;
    std::string background;
    const std::string& image = job.Style.BackgroundImage;
    if (!image.empty()) {
        if (job.LinkInPlace) {
            background = " BACKGROUND=\"" + AttributeText(FileUrl(image)) + "\"";
        } else {
            background = " BACKGROUND=\"" + AttributeText(BaseName(image)) + "\"";
            CopyByRule(image, JoinOutputPath(job.OutputDir, BaseName(image)), host, stats);
        }
    }

    PageLines page;
    page.AddHead(job, background);
    const ListedFiles listed(job);

    EntryPipeline entries(job, WorkerCount(options));
    for (int i = 0; i < count; ++i) {
        const std::string& path = job.Entries[static_cast<std::size_t>(i)].Path;
        host.SetProgress(i);
        host.ProcessEvents();
        std::vector<std::string> written;
        RunStats entryStats;
        Cell cell;
        try {
            cell = CommitEntry(path, entries, job, listed, host, entryStats, written);
        } catch (const EAbort&) {
            throw;
        } catch (Exception& e) {
            e.SetEntryIndex(i);
            if (!options.KeepGoing)
                throw;
            for (const std::string& file : written)
                ::unlink(file.c_str());
            ++stats.Failed;
            host.EntryFailed(path, e.Message());
            continue;
        } catch (const std::bad_alloc&) {
            EOutOfResources error;
            error.SetEntryIndex(i);
            if (!options.KeepGoing)
                throw error;
            for (const std::string& file : written)
                ::unlink(file.c_str());
            ++stats.Failed;
            host.EntryFailed(path, error.Message());
            continue;
        } catch (const std::exception& e) {
            if (!options.KeepGoing)
                throw;
            // The entry is left out, and none of its own files stays.
            for (const std::string& file : written)
                ::unlink(file.c_str());
            ++stats.Failed;
            const bool noMemory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
            host.EntryFailed(path, noMemory ? EOutOfResources().Message() : std::string(e.what()));
            continue;
        }
        stats.SmallImages += entryStats.SmallImages;
        stats.Conversions += entryStats.Conversions;
        stats.SkippedCopies += entryStats.SkippedCopies;

        std::string caption;
        if (job.ShowFileNames)
            caption = "<BR>" + BaseName(path);
        if (job.NumberEntries)
            caption += "<BR>#" + DecimalText(stats.Cells + 1);  // an entry left out is not counted
        if (stats.Cells % columns == 0)
            page.Add("<TR>");
        page.AddCell(cell.Link, cell.Source, cell.Width, cell.Height, caption);
        ++stats.Cells;
        if (stats.Cells % columns == 0)
            page.Add("</TR>");
    }

    page.AddTail(job);
    stats.Page = JoinOutputPath(job.OutputDir, job.PageName);
    listed.RefuseListed(stats.Page);
    WriteFileReplacing(stats.Page, page.Bytes());
    host.Finished(stats);
    cursor.Restore();
    host.ShowMessage("終了しました", "結果報告", MessageButtons::Ok);
    return RunOutcome::Done;
}

} // namespace

// An allocation failure with no error of its own is reported as lacking resources, never
// with the text of a C++ exception.
RunOutcome RunGallery(const GalleryJob& job, RunHost& host, const RunOptions& options)
{
    try {
        return RunSteps(job, host, options);
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
}

} // namespace kameola
