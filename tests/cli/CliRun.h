// SPDX-License-Identifier: MIT
// Running the built kameola-cli from a test: its exit status and what it wrote to stderr.
#pragma once

#include "tests/support/Files.h"

#include <string>
#include <vector>

namespace kameola::test {

struct Result {
    int Status;
    std::string Err;
};

// The text quoted for the shell.
std::string Quote(const std::string& s);

// prefix: shell words put before the command, such as "cd DIR &&", "NAME=VALUE" or
// commands ending in exec; input: the file read as standard input.
Result RunCli(const std::vector<std::string>& args, const ScratchDir& dir,
              const std::string& prefix = "", const std::string& input = "/dev/null");

} // namespace kameola::test
