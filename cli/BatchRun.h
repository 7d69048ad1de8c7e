// SPDX-License-Identifier: MIT
// What kameola-cli does with its command line, and how each failure ends it.
#pragma once

#include "cli/Options.h"

#include <optional>
#include <string>

namespace kameola {

// Parses the arguments into options. A command line that cannot be used is reported with
// the line pointing to --help (status 2), a --files-from list that cannot be read as an
// error (status 1); the status is returned then, nothing when options are ready.
std::optional<int> ParseCommandLine(int argc, char** argv, CliOptions& options);

// Writes --help or --version output to standard output and returns the exit status. A full
// device is an error; a reader that went away (a closed pipe) ends the program quietly.
int WriteOut(const std::string& text);

// Makes the gallery the options ask for, reporting on standard error, and returns the
// exit status: 0, or 1 when the run stopped, a file failed or a copy failed.
int RunBatch(CliOptions& options);

} // namespace kameola
