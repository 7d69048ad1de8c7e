// kameola-cli: makes a gallery page from files named on the command line.
#include "cli/ConsoleHost.h"
#include "gallery/Entry.h"
#include "gallery/FileSystem.h"
#include "common/Errors.h"
#include "cli/Options.h"
#include "gallery/Run.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <unistd.h>

using namespace kameola;

int main(int argc, char** argv)
{
    CliOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "kameola-cli: %s\n%s", e.what(), UsageText);
        return 2;
    }
    if (options.Help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::puts("kameola-cli " KAMEOLA_VERSION);
        return 0;
    }

    GalleryJob& job = options.Job;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    ConsoleHost host(job, stderr, terminal);
    const auto started = std::chrono::steady_clock::now();
    int failed = 0;
    try {
        // Paths are taken absolute, as the windows' paths always are, so that link mode
        // writes whole file:/// addresses.
        for (const std::string& file : options.Files) {
            const std::string path = AbsolutePath(file);
            try {
                job.Entries.push_back(OpenEntry(path));
            } catch (const Exception& e) {
                if (!options.Run.KeepGoing)
                    throw;
                host.EntryFailed(path, e.Message());  // as a failed entry is reported
                ++failed;
            }
        }
        job.Style.BackgroundImage = AbsolutePath(job.Style.BackgroundImage);
        const RunOutcome outcome = RunGallery(job, host, options.Run);
        host.FinishProgress();
        if (outcome != RunOutcome::Done) {
            std::fprintf(stderr, "%s\n", WithFullStop(host.Notice()).c_str());
            return 1;
        }
        const RunStats& stats = host.Stats();
        failed += stats.Failed;
        if (terminal) {
            const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - started;
            std::fprintf(stderr,
                         "%d entries, %d failed, %d small images, %d conversions, %d copies "
                         "skipped; wrote %s in %.1f s\n",
                         stats.Cells, failed, stats.SmallImages, stats.Conversions,
                         stats.SkippedCopies, stats.Page.c_str(), taken.count());
        }
    } catch (const EAbort&) {
        host.FinishProgress();
        return 1;
    } catch (const std::exception& e) {
        host.FinishProgress();
        std::fprintf(stderr, "%s\n", WithFullStop(e.what()).c_str());
        return 1;
    }
    return failed > 0 ? 1 : 0;
}
