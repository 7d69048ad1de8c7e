// SPDX-License-Identifier: MIT
// The usage lines and --help of kameola-cli.
#include "cli/Help.h"

#include "common/MessageFormat.h"
#include "gallery/Naming.h"
#include "gallery/TextEncoding.h"
#include "cli/OptionTable.h"

#include <string_view>
#include <vector>

namespace kameola {

const char* const TryHelpText = "Try 'kameola-cli --help' for more information.";

namespace {

// Paragraphs after the options.
const char* const kTrailer[] = {
    "A FILE that is a folder stands for the pictures in it: the files whose extension is "
    "one of %s in any case, hidden files skipped, links to files followed. A folder without "
    "pictures adds nothing; a folder that cannot be read is an error that names it.",
    "With --recursive, files of the same name in different subfolders all go into the one "
    "output folder and meet its rules: the copies keep the first file of a name (the "
    "others are skipped with a warning), and a small image or conversion whose name "
    "another file's output already has stops the run. --keep-going leaves such files out "
    "and goes on.",
    "Messages go to standard error and begin with \"kameola-cli: \". An error about one "
    "file names it (kameola-cli: FILE: MESSAGE.), an error about the output folder names "
    "the folder, and a copy that was not made reads "
    "\"kameola-cli: warning: SOURCE not copied to TARGET: REASON\". On a terminal a progress "
    "bar and a summary line are shown (no bar when TERM is dumb), and control characters "
    "in names are shown as ?.",
    "Exit status: 0 on success; 1 when the run stops on an error, when a file failed with "
    "--keep-going, or when a copy failed for another reason than an existing target (the "
    "page is still written); 2 for a command line that cannot be used, no FILE included.",
};

// Characters in text, a byte that is not valid UTF-8 counting as one.
std::size_t Characters(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        const std::size_t length = Utf8SequenceLength(text, at);
        at += length == 0 ? 1 : length;
    }
    return count;
}

// Appends the words, wrapped at width columns with every line but the first indented by
// indent (the first by firstIndent); a UTF-8 character counts as one column.
void AppendWrapped(std::string& out, const std::vector<std::string>& words, std::size_t firstIndent,
                   std::size_t indent, std::size_t width)
{
    std::size_t used = 0;  // columns on the current line; 0 before the first word
    for (const std::string& word : words) {
        if (used == 0 || used + 1 + Characters(word) > width) {
            if (used != 0)
                out += '\n';
            const std::size_t margin = used == 0 ? firstIndent : indent;
            out.append(margin, ' ');
            used = margin;
        } else {
            out += ' ';
            ++used;
        }
        out += word;
        used += Characters(word);
    }
    out += '\n';
}

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        words.emplace_back(text.substr(0, space));
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    }
    return words;
}

// "-o, --output DIR", "--page NAME", "--".
std::string Heading(const CliOption& o)
{
    std::string heading;
    if (o.Short != 0)
        heading = std::string("-") + o.Short + ", ";
    heading += std::string("--") + o.Long;
    if (o.Argument)
        heading += std::string(" ") + o.Argument;
    return heading;
}

} // namespace

std::string UsageText()
{
    const std::string program = "kameola-cli";
    std::vector<std::string> words{"usage:", program};
    std::string alone;
    for (const CliOption& o : CliOptionTable()) {
        if (o.Usage == UsageForm::Required)
            words.push_back(std::string("-") + o.Short + " " + o.Argument);
        else if (o.Usage == UsageForm::Optional)
            words.push_back("[--" + std::string(o.Long) + (o.Argument ? std::string(" ") + o.Argument : "") + "]");
        else if (o.Usage == UsageForm::Alone)
            alone += (alone.empty() ? "--" : " | --") + std::string(o.Long);
    }
    words.push_back("[FILE...]");
    std::string text;
    // The lines after the first start under the first option.
    AppendWrapped(text, words, 0, Characters(words[0]) + 1 + program.size() + 1, 78);
    text.append(Characters(words[0]) + 1, ' ');
    return text + program + " " + alone + "\n";
}

std::string HelpText()
{
    std::string text = UsageText();
    text +=
        "\nMakes a Shift_JIS thumbnail gallery page from the FILEs, in the order given,\n"
        "as the KAMEOLA window does.\n\nOptions:\n";
    for (const CliOption& option : CliOptionTable()) {
        text += "  " + Heading(option) + "\n";
        const std::vector<std::string> args = option.Defaults ? option.Defaults() : std::vector<std::string>{};
        AppendWrapped(text, Words(FormatMessage(option.Help, args)), 6, 6, 79);
    }
    std::string extensions;
    for (std::string_view extension : PictureExtensions())
        (extensions += extensions.empty() ? "" : " ") += extension;
    for (const char* paragraph : kTrailer) {
        text += '\n';
        AppendWrapped(text, Words(FormatMessage(paragraph, {extensions})), 0, 0, 79);
    }
    return text;
}

} // namespace kameola
