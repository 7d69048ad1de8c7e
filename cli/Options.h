// SPDX-License-Identifier: MIT
// Command-line options of kameola-cli and their parsing into a gallery job.
#pragma once

#include "gallery/Job.h"
#include "gallery/Run.h"
#include "cli/ListOrder.h"
#include "cli/Language.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kameola {

// A command line that cannot be used; the message says why in one line. what() is the
// English.
class UsageError : public std::runtime_error {
public:
    UsageError(const CliText& text, std::vector<std::string> args);
    const CliText& Text() const { return *m_text; }
    const std::vector<std::string>& Args() const { return m_args; }

private:
    const CliText* m_text;
    std::vector<std::string> m_args;
};

struct CliOptions {
    GalleryJob Job;                  // entries not yet opened
    std::vector<std::string> Files;  // the arguments, then the --files-from list
    RunOptions Run;                  // workers, keep going, create the output folder
    bool Recursive = false;          // folders' subfolders too
    std::optional<SortKey> Sort;     // the order of the whole list, when given
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

// Parses the arguments after the program's name with getopt_long and reads the
// --files-from list ("-" for standard input), one path a line. Raises UsageError for
// unknown options, missing values, values out of range, a missing -o, no FILE and a NUL
// byte in the list;
// -o and FILEs are not needed with --help or --version. A list that cannot be read
// raises EFOpenError with its name (EReadError for standard input).
CliOptions ParseOptions(const std::vector<std::string>& args);

} // namespace kameola
