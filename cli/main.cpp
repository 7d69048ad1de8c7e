// kameola-cli: makes a gallery page from files named on the command line.
#include "cli/ConsoleHost.h"
#include "gallery/Entry.h"
#include "gallery/Naming.h"
#include "common/Errors.h"
#include "cli/Options.h"
#include "gallery/Run.h"

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
    ConsoleHost host(job, stderr, ::isatty(STDERR_FILENO) == 1);
    try {
        // Paths are taken absolute, as the windows' paths always are, so that link mode
        // writes whole file:/// addresses.
        for (const std::string& file : options.Files)
            job.Entries.push_back(OpenEntry(AbsolutePath(file)));
        job.Style.BackgroundImage = AbsolutePath(job.Style.BackgroundImage);
        RunGallery(job, host);
        host.FinishProgress();
    } catch (const EAbort&) {
        host.FinishProgress();
        return 1;
    } catch (const std::exception& e) {
        host.FinishProgress();
        std::fprintf(stderr, "%s\n", WithFullStop(e.what()).c_str());
        return 1;
    }
    if (!host.Warning().empty()) {
        std::fprintf(stderr, "%s\n", WithFullStop(host.Warning()).c_str());
        return 1;
    }
    return 0;
}
