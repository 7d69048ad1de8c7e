// SPDX-License-Identifier: MIT
// Running the built kameola-cli from a test.
#include "tests/cli/CliRun.h"

namespace kameola::test {

Result RunCli(const std::vector<std::string>& args, const ScratchDir&, const std::string& prefix,
              const std::string& input)
{
    // In English, with UTF-8 names; the locale tests cover the others.
    std::string cmd = "export LC_ALL=C.UTF-8; unset LANGUAGE; ";
    cmd += prefix.empty() ? std::string(KAMEOLA_CLI) : prefix + " " + KAMEOLA_CLI;
    for (const auto& a : args)
        cmd += " " + Quote(a);
    // Standard error comes back through the pipe; standard output is dropped.
    cmd += " <" + Quote(input) + " 2>&1 >/dev/null";
    const ProgramOutput run = RunCommand(cmd);
    return {run.Status, run.Out};
}

} // namespace kameola::test
