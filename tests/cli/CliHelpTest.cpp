// SPDX-License-Identifier: MIT
// --help and --version of the built kameola-cli: what they print and how they exit.
#include "gallery/Color.h"
#include "gallery/Job.h"
#include "cli/Help.h"
#include "cli/OptionTable.h"
#include "cli/Options.h"
#include "tests/support/Program.h"
#include "cli/Terminal.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace kameola;

namespace {

// Runs kameola-cli with the arguments (shell words, quoted by the caller) and returns its
// standard output; standard error is dropped unless redirected in args.
test::ProgramOutput RunCli(const std::string& args)
{
    return test::RunCommand("LC_ALL=C.UTF-8 LANGUAGE= " + std::string(KAMEOLA_CLI) + " " + args + " </dev/null");
}


} // namespace

TEST(CliHelp, VersionComesFromTheProject)
{
    const test::ProgramOutput r = RunCli("--version 2>&1");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n', r.Out.find('\n') + 1) + 1),
              "kameola-cli " KAMEOLA_VERSION "\nCopyright (c) 2026 The KAMEOLA developers\n");
    EXPECT_NE(r.Out.find("License MIT"), std::string::npos);
    // Given with other options, it still needs no output folder and runs nothing.
    EXPECT_EQ(RunCli("--small --version 2>&1").Status, 0);
}

TEST(CliHelp, HelpNamesEveryOptionWithASentenceAndItsDefault)
{
    const test::ProgramOutput r = RunCli("--help 2>&1");
    ASSERT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.rfind(UsageText(), 0), 0u) << "starts with the usage lines";

    // Every row of the table, each on its own heading line; every option the usage lines
    // show in brackets says its default.
    for (const CliOption& option : CliOptionTable()) {
        std::string heading = option.Short ? std::string("-") + option.Short + ", " : "";
        heading += std::string("--") + option.Long + (option.Argument ? std::string(" ") + option.Argument : "");
        const std::size_t at = r.Out.find("\n  " + heading + "\n");
        ASSERT_NE(at, std::string::npos) << heading;
        // The sentence runs on indented lines up to the next heading or the end.
        const std::size_t next = std::min(r.Out.find("\n  -", at + 1), r.Out.find("\n\n", at + 1));
        const std::string sentence = r.Out.substr(at + 1, next == std::string::npos ? next : next - at);
        EXPECT_NE(sentence.find(".\n"), std::string::npos) << heading;
        EXPECT_EQ(sentence.find("(default:") != std::string::npos, option.Usage == UsageForm::Optional) << heading;
        EXPECT_EQ(sentence.find('%'), std::string::npos) << heading << ": every placeholder filled";
        if (option.Usage == UsageForm::Optional) {
            EXPECT_NE(UsageText().find("[--" + std::string(option.Long)), std::string::npos) << heading;
        }
    }
    // Defaults come from the job and the style dialog's starting values.
    std::string joined = r.Out;  // the sentences unwrapped
    for (std::size_t at; (at = joined.find("\n      ")) != std::string::npos;)
        joined.replace(at, 7, " ");
    for (const std::string& text : {std::string("(default: 画像一覧)"), std::string("(default: 8)"),
                                    std::string("1 to 64"), "(default: " + ColorToHex(PageStyle{}.TextColor),
                                    "(default: " + ColorToHex(PageStyle{}.BackgroundColor)})
        EXPECT_NE(joined.find(text), std::string::npos) << text;

    std::istringstream lines(r.Out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(DisplayWidth(line), 79) << line;
}

// The parser takes every row of the table, by its long and its short name.
TEST(CliHelp, ParserTakesEveryRow)
{
    for (const CliOption& option : CliOptionTable()) {
        if (!option.Apply)
            continue;
        std::vector<std::string> names{std::string("--") + option.Long};
        if (option.Short)
            names.push_back(std::string("-") + option.Short);
        for (const std::string& name : names) {
            // Refused as lacking or not taking a value: known, and known as what it is.
            const std::vector<std::string> args =
                option.Argument ? std::vector<std::string>{name} : std::vector<std::string>{name + "=x"};
            if (!option.Argument && name[1] != '-')
                continue;  // "-k=x" is -k followed by two more options
            try {
                ParseOptions(args);
                ADD_FAILURE() << name;
            } catch (const UsageError& e) {
                const std::string expected = option.Argument ? " needs a value" : " takes no value";
                EXPECT_EQ(e.what(), "option " + name + expected);
            }
        }
    }
}

TEST(CliHelp, UsageErrorsPrintOneLineAndWhereToLook)
{
    const test::ProgramOutput r = RunCli("--bogus 2>/dev/null");
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Out, "");
    const test::ProgramOutput err = RunCli("--bogus 2>&1 >/dev/null");
    EXPECT_EQ(err.Out, std::string("kameola-cli: unknown option --bogus\n") + TryHelpText() + "\n");
}

TEST(CliHelp, FullDeviceIsAnErrorAndAClosedPipeIsQuiet)
{
    for (const char* option : {"--help", "-V"}) {
        const test::ProgramOutput full = RunCli(std::string(option) + " 2>&1 >/dev/full");
        EXPECT_EQ(full.Status, 1) << option;
        EXPECT_EQ(full.Out, "kameola-cli: write error: No space left on device\n") << option;
    }
    // The reader has gone before the help is written, and SIGPIPE is ignored, so the
    // write fails with EPIPE: nothing to say about that.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    std::FILE* err = std::tmpfile();
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_IGN);
        ::dup2(ends[1], STDOUT_FILENO);
        ::dup2(::fileno(err), STDERR_FILENO);
        ::execl(KAMEOLA_CLI, KAMEOLA_CLI, "--help", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ends[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(std::ftell(err), 0L) << "nothing on standard error";
    std::fclose(err);
}

// help2man reads the synopsis from the "Usage:" line and the options from the help.
TEST(CliHelp, Help2manFindsTheSynopsis)
{
    if (std::system("command -v help2man >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "help2man is not installed";
    const test::ProgramOutput r = RunCli("--help >/dev/null; LC_ALL=C.UTF-8 help2man -N " KAMEOLA_CLI " 2>&1");
    ASSERT_EQ(r.Status, 0) << r.Out;
    const std::size_t synopsis = r.Out.find(".SH SYNOPSIS");
    ASSERT_NE(synopsis, std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("kameola-cli", synopsis), std::string::npos);
    EXPECT_NE(r.Out.find("Copyright", synopsis), std::string::npos);
}
