// Command-line options of kameola-cli and their parsing into a gallery job.
#pragma once

#include "gallery/Job.h"
#include "gallery/Run.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kameola {

// A command line that cannot be used; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliOptions {
    GalleryJob Job;                  // entries not yet opened
    std::vector<std::string> Files;  // in the order given
    RunOptions Run;                  // workers (0: one per CPU) and whether to keep going
    bool Help = false;
    bool Version = false;
};

// Raises UsageError for unknown options, missing values and values out of range.
// -o is not required when --help or --version is given.
CliOptions ParseOptions(const std::vector<std::string>& args);

// The short usage lines shown with a usage error.
extern const char* const UsageText;

// What --help prints: the usage lines, then every option with a sentence and its default.
std::string HelpText();

} // namespace kameola
