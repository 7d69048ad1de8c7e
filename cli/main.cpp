// SPDX-License-Identifier: MIT
// kameola-cli: makes a gallery page from files named on the command line.
#include "cli/BatchRun.h"
#include "cli/Help.h"
#include "cli/Language.h"
#include "cli/Options.h"

using namespace kameola;

int main(int argc, char** argv)
{
    SetUpLanguage();
    CliOptions options;
    if (const std::optional<int> status = ParseCommandLine(argc, argv, options))
        return *status;
    if (options.Help)
        return WriteOut(HelpText());
    if (options.Version)
        return WriteOut(VersionText(KAMEOLA_VERSION));
    return RunBatch(options);
}
