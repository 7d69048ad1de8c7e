// SPDX-License-Identifier: MIT
// Running a built program from a test through the shell.
#pragma once

#include <string>

namespace kameola::test {

struct ProgramOutput {
    int Status;       // the exit status; -1 when the program did not exit
    std::string Out;  // what it wrote to standard output
};

// Runs the shell command line; standard output comes back through a pipe.
ProgramOutput RunCommand(const std::string& command);

// The text quoted as one shell word.
std::string Quote(const std::string& text);

} // namespace kameola::test
