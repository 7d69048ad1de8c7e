// SPDX-License-Identifier: MIT
// The gallery run: checks the output folder, plans every output name, copies the
// background picture, has the workers prepare the entries, commits them in list order and
// writes the page.
#include "gallery/Run.h"

#include "common/Errors.h"
#include "common/OutputFile.h"
#include "gallery/Copies.h"
#include "platform/FileSystem.h"
#include "gallery/Page.h"
#include "gallery/Plan.h"
#include "gallery/EntryPipeline.h"
#include "platform/Workers.h"

#include <cstdint>
#include <optional>
#include <set>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kameola {

namespace {

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

// The files one entry wrote, so that an entry left out of the page leaves none behind.
// Its small image and conversion replace no file the run placed for another output.
class EntryFiles {
public:
    EntryFiles(PlacedFiles& placed, const FileId& source)
        : m_picture{&placed, {OutputRole::Picture, source}}
    {
    }
    void Write(const std::string& path, const std::vector<std::uint8_t>& bytes,
               const timespec& modified)
    {
        WriteFileReplacing(path, bytes, &modified, m_picture);
        m_paths.push_back(path);
    }
    // Outputs kept from an earlier run stand for this entry as if written now.
    void Keep(const std::string& path) const
    {
        if (!path.empty())
            ClaimExisting(path, m_picture);
    }
    void Remove() const
    {
        for (const std::string& path : m_paths)
            RemovePlaced(path, m_picture);
    }
    Placing CopyPlacing() const
    {
        return {m_picture.Record, {OutputRole::Copy, m_picture.Claim.Source}};
    }

private:
    Placing m_picture;
    std::vector<std::string> m_paths;
};

// How the run treats copies: under --update, whether this entry decides its copy (the
// first of those sharing a target) and the output folder's time resolution.
struct CopyMode {
    bool Decides = false;
    TimeResolution Resolution{1};
};

// Puts the entry's files in place as planned: its small image, then its conversion or
// copy, each with the source's modification time. Returns the size its cell shows.
std::pair<int, int> CommitEntry(const PlannedEntry& planned, EntryPipeline& entries,
                                RunHost& host, RunStats& stats, EntryFiles& files,
                                CopyMode copyMode, const std::vector<FileId>& listed)
{
    if (!planned.Clash.empty())
        throw EFCreateError(planned.Clash);
    const PreparedEntry prepared = entries.Next(host);
    // Kept outputs stay as they are; every other output is written as in a full run.
    if (prepared.OutputsKept) {
        files.Keep(planned.SmallImage);
        files.Keep(planned.Conversion);
    }
    if (prepared.SmallImage) {
        files.Write(planned.SmallImage, *prepared.SmallImage, prepared.SourceState.st_mtim);
        ++stats.SmallImages;
    }
    if (prepared.ConversionError)
        std::rethrow_exception(prepared.ConversionError);
    if (prepared.Conversion) {
        files.Write(planned.Conversion, *prepared.Conversion, prepared.SourceState.st_mtim);
        ++stats.Conversions;
    }
    if (!planned.CopyTarget.empty()) {
        const CopySource source{planned.Source, prepared.Source,
                                prepared.Source.Valid() ? &prepared.SourceState : nullptr};
        const Placing copy = files.CopyPlacing();
        if (copyMode.Decides)
            CopyUpdating(source, planned.CopyTarget, host, stats, listed, copyMode.Resolution,
                         copy);
        else
            CopyByRule(source, planned.CopyTarget, host, stats, copy);
    }
    return {prepared.Width, prepared.Height};
}

int WorkerCount(const RunOptions& options)
{
    int jobs = options.Jobs > 0 ? options.Jobs : AvailableCpuCount();
    return jobs > kJobsRange.Max ? kJobsRange.Max : jobs;
}

// Makes sure the output folder is there; the outcome when the run cannot go on.
std::optional<RunOutcome> CheckOutputFolder(const std::string& folder, RunHost& host,
                                            const RunOptions& options)
{
    if (folder.empty()) {
        host.ShowMessage(TextsOf(MessageId::NoOutputDir).Japanese, TextsOf(MessageId::WarningCaption).Japanese,
                         MessageButtons::Ok);
        return RunOutcome::NoOutputDir;
    }
    if (!DirectoryExists(folder)) {
        if (!options.CreateMissingFolder &&
            host.ShowMessage(TextsOf(MessageId::CreateFolder).Japanese,
                             TextsOf(MessageId::ConfirmCaption).Japanese, MessageButtons::YesNo) != MessageAnswer::Yes)
            return RunOutcome::Declined;
        CreateDirectoryChain(folder);
    }
    return std::nullopt;
}

void CopyBackground(const RunPlan& plan, std::optional<TimeResolution> update, RunHost& host,
                    RunStats& stats, PlacedFiles& placed)
{
    if (plan.BackgroundCopy.empty())
        return;
    const FileHandle unopened(-1);
    const CopySource source{plan.Background, unopened};
    const Placing copy{&placed, {OutputRole::Copy, plan.Listed.back()}};
    if (update)
        CopyUpdating(source, plan.BackgroundCopy, host, stats, plan.Listed, *update, copy);
    else
        CopyByRule(source, plan.BackgroundCopy, host, stats, copy);
}

// Commits every entry in list order and adds its cell. An entry's error is tagged with
// its index; when the run keeps going, the entry is left out, reported and none of its
// own files stays.
void CommitEntries(const RunPlan& plan, int thumbWidth, const RunOptions& options,
                   std::optional<TimeResolution> update, RunHost& host, PageWriter& page,
                   RunStats& stats, PlacedFiles& placed)
{
    EntryPipeline entries(plan, thumbWidth, WorkerCount(options), update);
    // Under --update a copy target that same-named entries share is decided by the first.
    std::set<std::string> copyTargets;
    for (std::size_t i = 0; i < plan.Entries.size(); ++i) {
        const std::string& path = plan.Entries[i].Source;
        const CopyMode copyMode{update && plan.Entries[i].Clash.empty() &&
                                    copyTargets.insert(plan.Entries[i].CopyTarget).second,
                                update.value_or(TimeResolution(1))};
        host.SetProgress(static_cast<int>(i));
        host.ProcessEvents();
        EntryFiles files(placed, plan.Entries[i].File);
        RunStats entryStats;
        std::optional<MessageText> failure;
        try {
            const auto [width, height] = TranslatingAllocationFailure([&] {
                return CommitEntry(plan.Entries[i], entries, host, entryStats, files,
                                   copyMode, plan.Listed);
            });
            page.AddCell(plan.Entries[i], width, height);
        } catch (const EAbort&) {
            throw;
        } catch (Exception& e) {
            e.SetEntryIndex(static_cast<int>(i));
            if (!options.KeepGoing)
                throw;
            failure = e.Text();
        } catch (const std::exception& e) {
            if (!options.KeepGoing)
                throw;
            failure = MessageText{MessageId::Verbatim, {e.what()}};
        }
        if (failure) {
            files.Remove();
            ++stats.Failed;
            host.EntryFailed(path, *failure);
            continue;
        }
        stats.SmallImages += entryStats.SmallImages;
        stats.Conversions += entryStats.Conversions;
        stats.SkippedCopies += entryStats.SkippedCopies;
        ++stats.Cells;
    }
}

RunOutcome RunSteps(const GalleryJob& job, RunHost& host, const RunOptions& options)
{
    if (const std::optional<RunOutcome> outcome = CheckOutputFolder(job.OutputDir, host, options))
        return *outcome;

    BusyCursor cursor(host);
    // A gauge refuses a range whose top is below its bottom, as for an empty list.
    if (job.Entries.empty())
        throw EInvalidOperation(1, 2147483647);
    host.SetProgressRange(0, static_cast<int>(job.Entries.size()) - 1);

    const RunPlan plan = PlanRun(job, options.KeepGoing);
    RemoveStaleTemporaries(job.OutputDir, plan.Listed);
    // An update judges outputs by their times, as finely as the output folder keeps them.
    std::optional<TimeResolution> update;
    if (options.Update)
        update = OutputTimeResolution(job.OutputDir);
    RunStats stats;
    // Every file the run puts in place, so that none takes another's place.
    PlacedFiles placed;
    CopyBackground(plan, update, host, stats, placed);
    PageWriter page(job, plan.BackgroundAddress);
    CommitEntries(plan, job.ThumbWidth, options, update, host, page, stats, placed);
    // Kept going past every entry: a page without pictures would only hide that.
    if (stats.Cells == 0 && stats.Failed > 0)
        return RunOutcome::AllFailed;

    stats.Page = plan.PagePath;
    const FileId pageId{false, 0, 0, "\n page"};  // no listed file has this path
    WriteFileReplacing(stats.Page, page.Finish(), nullptr,
                       Placing{&placed, {OutputRole::Page, pageId}});
    host.Finished(stats);
    cursor.Restore();
    host.ShowMessage(TextsOf(MessageId::Finished).Japanese, TextsOf(MessageId::ReportCaption).Japanese,
                     MessageButtons::Ok);
    return RunOutcome::Done;
}

} // namespace

RunOutcome RunGallery(const GalleryJob& job, RunHost& host, const RunOptions& options)
{
    return TranslatingAllocationFailure([&] { return RunSteps(job, host, options); });
}

} // namespace kameola
