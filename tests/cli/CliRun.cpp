// SPDX-License-Identifier: MIT
// Running the built kameola-cli from a test.
#include "tests/cli/CliRun.h"

#include <cstdlib>
#include <sys/wait.h>

namespace kameola::test {

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Result RunCli(const std::vector<std::string>& args, const ScratchDir& dir, const std::string& prefix,
              const std::string& input)
{
    std::string errFile = dir / "stderr.txt";
    // In English, with UTF-8 names; the locale tests cover the others.
    std::string cmd = "export LC_ALL=C.UTF-8; unset LANGUAGE; ";
    cmd += prefix.empty() ? std::string(KAMEOLA_CLI) : prefix + " " + KAMEOLA_CLI;
    for (const auto& a : args)
        cmd += " " + Quote(a);
    cmd += " 2>" + Quote(errFile) + " <" + Quote(input) + " >/dev/null";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errFile)};
}

} // namespace kameola::test
