// SPDX-License-Identifier: MIT
// What kameola-cli does with its command line.
#include "cli/BatchRun.h"

#include "common/Errors.h"
#include "gallery/Entry.h"
#include "platform/FileSystem.h"
#include "gallery/Run.h"
#include "cli/ConsoleHost.h"
#include "cli/FolderInput.h"
#include "cli/Help.h"
#include "cli/Language.h"
#include "cli/Terminal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>
#include <unistd.h>

namespace kameola {

namespace {

ConsoleSettings SettingsFor(bool quiet)
{
    ConsoleSettings settings;
    settings.Terminal = ::isatty(STDERR_FILENO) == 1;
    const char* term = std::getenv("TERM");
    settings.Bar = settings.Terminal && !(term && std::string_view(term) == "dumb");
    settings.Quiet = quiet;
    settings.Columns = TerminalColumns(STDERR_FILENO);
    settings.WidthFd = STDERR_FILENO;
    return settings;
}

// The file an error came from, when it came from one of paths.
std::string EntryName(const Exception& e, const std::vector<std::string>& paths)
{
    const int index = e.EntryIndex();
    return index >= 0 && static_cast<std::size_t>(index) < paths.size()
               ? paths[static_cast<std::size_t>(index)]
               : std::string();
}

// Reports a command line that cannot be used, with the line pointing to --help; status 2.
int UsageFailure(const CliText& text, const std::vector<std::string>& args)
{
    // The message may quote an argument: harmless on a terminal as the others are.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const std::string what = Compose(Translate(text), args, terminal);
    std::fprintf(stderr, "kameola-cli: %s\n%s\n", what.c_str(), TryHelpText().c_str());
    return 2;
}

// Puts in place of each folder among the files the pictures in it, and orders the list
// when asked. Each folder that cannot be read is reported; the status when the run
// cannot go on: 1 after such a folder (unless keep going), 2 when no file is left.
std::optional<int> GatherFiles(const CliOptions& options, ConsoleHost& host, std::vector<std::string>& files)
{
    FolderWalk walk;
    walk.Recursive = options.Recursive;
    walk.NameOrder = options.Sort != SortKey::None;
    walk.StopAtFailure = !options.Run.KeepGoing;
    FolderInput input = ExpandFolders(files, walk);
    for (const FolderFailure& failure : input.Failures)
        host.EntryFailed(failure.Path, EInOutError::FromErrno(failure.Error).Text());
    if (!input.Failures.empty() && (!options.Run.KeepGoing || input.Files.empty()))
        return 1;
    if (input.Files.empty())
        return UsageFailure(texts::NoFile, {});
    if (options.Sort)
        SortFiles(input.Files, *options.Sort);
    files = std::move(input.Files);
    return std::nullopt;
}

// Opens the files and runs the job; the status when it ends without an exception.
int OpenAndRun(GalleryJob& job, ConsoleHost& host, const RunOptions& run, std::vector<std::string>& files)
{
    job.Entries = OpenEntries(files, host, run.KeepGoing);
    if (job.Entries.empty())
        return 1;  // every file failed to open, each reported
    job.Style.BackgroundImage = AbsolutePath(job.Style.BackgroundImage);
    files.clear();
    for (const GalleryEntry& entry : job.Entries)
        files.push_back(entry.Path);
    const RunOutcome outcome = RunGallery(job, host, run);
    host.FinishProgress();
    if (outcome == RunOutcome::NoOutputDir) {
        host.Error("", {MessageId::NoOutputDir, {}});
        return 1;
    }
    if (outcome != RunOutcome::Done)
        return 1;  // every entry failed, each reported
    return host.FailedEntries() > 0 || host.CopyFailed() ? 1 : 0;
}

} // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, CliOptions& options)
{
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        return UsageFailure(e.Text(), e.Args());
    } catch (const Exception& e) {  // a --files-from list that cannot be read
        ConsoleHost(options.Job, stderr, SettingsFor(true)).Error("", e.Text());
        return 1;
    }
    return std::nullopt;
}

int WriteOut(const std::string& text)
{
    errno = 0;
    const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    if (written)
        return 0;
    if (errno != EPIPE) {
        const int err = errno;
        const std::string message = Compose(Translate(texts::WriteError), {std::strerror(err)}, false);
        std::fprintf(stderr, "kameola-cli: %s\n", message.c_str());
    }
    return 1;
}

int RunBatch(CliOptions& options)
{
    GalleryJob& job = options.Job;
    ConsoleHost host(job, stderr, SettingsFor(options.Quiet));
    // Paths are taken absolute, as the windows' paths always are, so that link mode
    // writes whole file:/// addresses.
    std::vector<std::string> files;
    files.reserve(options.Files.size());
    for (const std::string& file : options.Files)
        files.push_back(AbsolutePath(file));
    if (const std::optional<int> status = GatherFiles(options, host, files))
        return *status;
    try {
        return OpenAndRun(job, host, options.Run, files);
    } catch (const EAbort&) {
        host.FinishProgress();
    } catch (const EInOutError& e) {
        // Raised while making the output folder.
        host.FinishProgress();
        host.Error(e.EntryIndex() >= 0 ? EntryName(e, files) : job.OutputDir, e.Text());
    } catch (const Exception& e) {
        host.FinishProgress();
        host.Error(EntryName(e, files), e.Text());
    } catch (const std::exception& e) {
        host.FinishProgress();
        host.Error("", {MessageId::Verbatim, {e.what()}});
    }
    return 1;
}

} // namespace kameola
