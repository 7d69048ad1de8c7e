// SPDX-License-Identifier: MIT
// The window's command line: --help and --version, files to add, unknown options.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

enum class EarlyRequest { None, Help, Version };

// -h/--help or -V/--version among the options; looked at before Qt starts, so the answer
// needs no display. The values of Qt's own options are skipped; "--" ends the options.
EarlyRequest FindEarlyRequest(int argc, char** argv);

// What --help prints.
std::string CommandLineHelp();

// What --version prints: the version, the copyright and the licence.
std::string CommandLineVersion(const std::string& version);

struct CommandLineArgs {
    std::vector<std::string> Files;  // absolute paths, bytes as given, in order
    std::string UnknownOption;       // the first argument left that looks like an option
};

// argv[1..argc) before QApplication takes out its own options: Qt's documented options are
// skipped with their values, "--" ends the options, any other argument starting with "-"
// is unknown, the rest are files made absolute against the working folder.
CommandLineArgs ParseCommandLine(int argc, char** argv);

// The value of Qt's option name ("-platform", "-display") last given before "--"; empty
// when there is none.
std::string QtOptionValue(int argc, char** argv, std::string_view name);

} // namespace kameola
