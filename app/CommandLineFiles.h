// SPDX-License-Identifier: MIT
// The window's command line: --help and --version, files to add, unknown options.
#pragma once

#include <string>
#include <vector>

namespace kameola {

enum class EarlyRequest { None, Help, Version };

// -h/--help or -V/--version among the options; looked at before Qt starts, so the answer
// needs no display. The values of Qt's own options are skipped; "--" ends the options.
EarlyRequest FindEarlyRequest(int argc, char** argv);

// What --help prints.
std::string CommandLineHelp();

struct CommandLineArgs {
    std::vector<std::string> Files;  // absolute paths, bytes as given, in order
    std::string UnknownOption;       // the first argument left that looks like an option
};

// argv[1..argc) after QApplication has taken out its own options: "--" ends the options,
// any other argument starting with "-" is unknown, the rest are files made absolute
// against the working folder.
CommandLineArgs ParseCommandLine(int argc, char** argv);

} // namespace kameola
