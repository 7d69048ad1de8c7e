// SPDX-License-Identifier: MIT
// Parsing the command line of kameola-cli by the option table.
#include "cli/Options.h"

#include "common/Errors.h"
#include "platform/DefaultFace.h"
#include "cli/FileList.h"
#include "cli/OptionTable.h"

#include "common/MessageFormat.h"

#include <cstdio>
#include <getopt.h>
#include <memory>
#include <string_view>

namespace kameola {

UsageError::UsageError(const CliText& text, std::vector<std::string> args)
    : std::runtime_error(FormatMessage(text.English, args)), m_text(&text), m_args(std::move(args))
{
}

namespace {

// The code getopt_long returns for a row: its letter, or a number past every letter.
int CodeOf(std::size_t row)
{
    const CliOption& o = CliOptionTable()[row];
    return o.Short != 0 ? o.Short : 256 + static_cast<int>(row);
}

// The row of a code getopt_long returned; nullptr for none.
const CliOption* RowOf(int code)
{
    const std::vector<CliOption>& table = CliOptionTable();
    for (std::size_t row = 0; row < table.size(); ++row)
        if (table[row].Apply && CodeOf(row) == code)
            return &table[row];
    return nullptr;
}

// getopt_long's tables, made once from the option table.
struct GetoptTables {
    GetoptTables()
    {
        // Leading ":" reports a missing value apart from an unknown option; no "+", which
        // would stop at the first FILE, so options may follow FILEs as with other tools.
        shorts = ":";
        const std::vector<CliOption>& table = CliOptionTable();
        for (std::size_t row = 0; row < table.size(); ++row) {
            const CliOption& o = table[row];
            if (!o.Apply)
                continue;
            longs.push_back({o.Long, o.Argument ? required_argument : no_argument, nullptr, CodeOf(row)});
            if (o.Short != 0)
                (shorts += o.Short) += o.Argument ? ":" : "";
        }
        longs.push_back({nullptr, 0, nullptr, 0});
    }
    std::string shorts;
    std::vector<option> longs;
};

// The name an option was given by, for messages: "--jobs" or "-j".
std::string OptionName(int code, const char* given)
{
    const CliOption* row = RowOf(code);
    if (row && given && std::string_view(given).rfind("--", 0) == 0)
        return std::string("--") + row->Long;
    if (code > 0 && code < 256)
        return std::string("-") + static_cast<char>(code);
    if (row)
        return std::string("--") + row->Long;
    return given ? given : "";
}

// The usage error for what getopt_long refused: code '?' or ':'.
[[noreturn]] void ThrowRefused(int code, const char* given)
{
    if (code == ':')
        throw UsageError(texts::NeedsValue, {OptionName(::optopt, given)});
    if (::optopt != 0) {
        const std::string name = OptionName(::optopt, given);
        if (name.rfind("--", 0) == 0)
            throw UsageError(texts::TakesNoValue, {name});
        throw UsageError(texts::UnknownOption, {name});
    }
    const std::string_view word(given ? given : "");
    throw UsageError(texts::UnknownOption, {std::string(word.substr(0, word.find('=')))});
}

// The arguments as getopt_long wants them: it reorders argv, so it gets its own copies.
struct ArgumentVector {
    explicit ArgumentVector(const std::vector<std::string>& args) : words{"kameola-cli"}
    {
        words.insert(words.end(), args.begin(), args.end());
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
    }
    int Count() const { return static_cast<int>(words.size()); }

    std::vector<std::string> words;
    std::vector<char*> argv;
};

// What is settled once every option is read: the FILEs, the lists and the face.
void Finish(OptionContext& context, int first, int argc, char** argv)
{
    CliOptions& options = context.Options;
    if (!context.OutputGiven)
        throw UsageError(texts::OutputRequired, {});
    for (int i = first; i < argc; ++i)
        options.Files.push_back(argv[i]);
    for (const std::string& list : context.Lists)
        ReadFileList(list, options.Files);
    if (options.Files.empty())
        throw UsageError(texts::NoFile, {});
    // A batch run has nobody to ask.
    options.Run.CreateMissingFolder = true;
    // The face the style dialog starts with; looked up only when the page will name it.
    if (options.Job.Style.StyleChanged && !context.FaceGiven)
        options.Job.Style.FontFace = DefaultPageFace();
}

} // namespace

CliOptions ParseOptions(const std::vector<std::string>& args)
{
    static const GetoptTables tables;
    CliOptions options;
    OptionContext context{options, {}, false, false, {}};
    ArgumentVector arguments(args);
    const int argc = arguments.Count();
    char** const argv = arguments.argv.data();

    ::opterr = 0;
    ::optind = 0;  // starts a fresh scan, also after an earlier call
    for (int code; (code = ::getopt_long(argc, argv, tables.shorts.c_str(), tables.longs.data(), nullptr)) != -1;) {
        const char* given = argv[::optind - 1];
        const CliOption* row = RowOf(code);
        if (!row)
            ThrowRefused(code == ':' ? ':' : '?', given);
        context.Name = std::string("--") + row->Long;
        row->Apply(context, ::optarg ? ::optarg : "");
    }
    if (!options.Help && !options.Version)
        Finish(context, ::optind, argc, argv);
    return options;
}

} // namespace kameola
