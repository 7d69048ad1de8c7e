// SPDX-License-Identifier: MIT
// Command-line options of kameola-cli.
#include "cli/Options.h"

#include "common/Errors.h"
#include "gallery/DefaultFace.h"

#include <charconv>
#include <cstdio>
#include <getopt.h>
#include <memory>
#include <string_view>

namespace kameola {

const char* const UsageText =
    "usage: kameola-cli -o DIR [--page NAME] [--title TEXT] [--columns N]\n"
    "                   [--width N] [--small] [--names] [--numbers] [--link]\n"
    "                   [--font FACE] [--text-color RRGGBB]\n"
    "                   [--background-color RRGGBB] [--background-image PATH]\n"
    "                   [--jobs N] [--keep-going] [--update] [--quiet]\n"
    "                   [--files-from LIST] [FILE...]\n"
    "       kameola-cli --help | --version\n";

const char* const TryHelpText = "Try 'kameola-cli --help' for more information.";

namespace {

struct OptionHelp {
    std::string Names;
    std::string Sentence;
};

std::string RangeText(IntRange range)
{
    return std::to_string(range.Min) + " to " + std::to_string(range.Max);
}

// One row per option, in the order --help lists them.
std::vector<OptionHelp> OptionHelps()
{
    return {
        {"-o, --output DIR", "Folder the page and its files are written to; it is created when missing. Required."},
        {"--page NAME", std::string("File name of the page in the output folder (default: ") + kDefaultPageName + ")."},
        {"--title TEXT", std::string("Title and heading of the page (default: ") + kDefaultTitle + ")."},
        {"--columns N", "Number of thumbnails in a table row, " + RangeText(kColumnsRange) +
                            " (default: " + std::to_string(kDefaultColumns) + ")."},
        {"--width N", "Thumbnail width in pixels, " + RangeText(kThumbWidthRange) +
                          "; the height keeps the picture's proportions (default: " +
                          std::to_string(kDefaultThumbWidth) + ")."},
        {"--small", "Write a reduced JPEG copy of each JPEG and BMP file, at the thumbnail width, and show it as the thumbnail (default: off)."},
        {"--names", "Show each file's name under its thumbnail (default: off)."},
        {"--numbers", "Number the thumbnails #1, #2, ... on the page (default: off)."},
        {"--link", "Link the files where they are, by file:// address, instead of copying them into the output folder (default: off, the files are copied and BMP files converted to JPEG)."},
        {"--font FACE", "Font face of the page's text; any of --font, --text-color and --background-color gives the page a FONT element (default: no FONT element; when only a colour is given, the face ＭＳ Ｐゴシック if it is installed, else an empty face)."},
        {"--text-color RRGGBB", "Text colour as six hexadecimal digits, red, green, blue (default: 000000, black)."},
        {"--background-color RRGGBB", "Background colour as six hexadecimal digits, red, green, blue (default: ffffff, white)."},
        {"--background-image PATH", "Picture shown behind the page; it is copied into the output folder unless --link is given (default: none)."},
        {"-j, --jobs N", "Number of threads that read and shrink pictures, " + RangeText(kJobsRange) +
                             "; the files written are the same for any number (default: one per CPU the program may use, within its cgroup's CPU quota)."},
        {"-k, --keep-going", "Leave a file that fails out of the page, report it and go on with the rest; the exit status is 1 at the end, and when every file fails no page is written (default: off, the first failure stops the run)."},
        {"-u, --update", "Redo only what changed: a small image or BMP conversion already in the output folder is kept when it is not older than its FILE and its JPEG header shows the size this run would write (for a small image also the FILE's progressive or baseline form); a copy is replaced, whole, when its FILE is newer; everything else is done as without --update and the page is always written. A file whose outputs are all kept is not decoded, only its header is read, so a damaged stream whose outputs are up to date goes unnoticed (default: off)."},
        {"-q, --quiet", "Print errors only: no progress bar, no summary, no warning about a copy skipped because its target exists (default: off)."},
        {"--files-from LIST", "Also read FILEs from LIST, one path a line, after those given as arguments; - reads standard input (default: none)."},
        {"-h, --help", "Print this help and exit."},
        {"-V, --version", "Print the program's version and exit."},
        {"--", "Take every argument after it as a FILE, also one that begins with a dash."},
    };
}

// Paragraphs after the options.
const char* const kTrailer[] = {
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

// Appends text to out, wrapped at width columns with every line indented; a UTF-8
// character counts as one column.
void AppendWrapped(std::string& out, std::string_view text, std::size_t indent, std::size_t width)
{
    const auto columns = [](std::string_view word) {
        std::size_t n = 0;
        for (char c : word)
            n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return n;
    };
    std::size_t used = 0;  // columns on the current line; 0 before the first word
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (used == 0 || used + 1 + columns(word) > width) {
            if (used != 0)
                out += '\n';
            out.append(indent, ' ');
            used = indent;
        } else {
            out += ' ';
            ++used;
        }
        out += word;
        used += columns(word);
    }
    out += '\n';
}

int ParseNumber(const std::string& option, const std::string& text, IntRange range)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !range.Contains(value))
        throw UsageError(option + " must be a number from " + std::to_string(range.Min) +
                         " to " + std::to_string(range.Max));
    return value;
}

// "RRGGBB" as on the page.
Color ParseColor(const std::string& option, const std::string& text)
{
    const std::optional<Color> color = ParseHexColor(text);
    if (!color)
        throw UsageError(option + " must be six hexadecimal digits RRGGBB");
    return *color;
}

// Appends the paths of a list, one a line; an empty line names no file.
void ReadFileList(const std::string& list, std::vector<std::string>& files)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> opened(nullptr, std::fclose);
    std::FILE* in = stdin;
    if (list != "-") {
        opened.reset(std::fopen(list.c_str(), "rb"));
        if (!opened)
            throw EFOpenError(list);
        in = opened.get();
    }
    std::string line;
    for (int c; (c = std::getc(in)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty())
            files.push_back(line);
        line.clear();
    }
    if (std::ferror(in)) {  // such as a folder given as the list
        if (list == "-")
            throw EReadError();
        throw EFOpenError(list);
    }
    if (!line.empty())
        files.push_back(line);
}

enum LongOnly : int {
    kPage = 256,
    kTitle,
    kColumns,
    kWidth,
    kSmall,
    kNames,
    kNumbers,
    kLink,
    kFont,
    kTextColor,
    kBackgroundColor,
    kBackgroundImage,
    kFilesFrom,
};

const option kLongOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"page", required_argument, nullptr, kPage},
    {"title", required_argument, nullptr, kTitle},
    {"columns", required_argument, nullptr, kColumns},
    {"width", required_argument, nullptr, kWidth},
    {"small", no_argument, nullptr, kSmall},
    {"names", no_argument, nullptr, kNames},
    {"numbers", no_argument, nullptr, kNumbers},
    {"link", no_argument, nullptr, kLink},
    {"font", required_argument, nullptr, kFont},
    {"text-color", required_argument, nullptr, kTextColor},
    {"background-color", required_argument, nullptr, kBackgroundColor},
    {"background-image", required_argument, nullptr, kBackgroundImage},
    {"jobs", required_argument, nullptr, 'j'},
    {"keep-going", no_argument, nullptr, 'k'},
    {"update", no_argument, nullptr, 'u'},
    {"quiet", no_argument, nullptr, 'q'},
    {"files-from", required_argument, nullptr, kFilesFrom},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// Leading ":" reports a missing value apart from an unknown option; "+" would stop at
// the first FILE, so options may follow FILEs as with other tools.
const char* const kShortOptions = ":o:j:kuqhV";

// The name an option was given by, for messages: "--jobs" or "-j".
std::string OptionName(int code, const char* given)
{
    for (const option& o : kLongOptions)
        if (o.name && o.val == code && given && std::string_view(given).rfind("--", 0) == 0)
            return std::string("--") + o.name;
    if (code > 0 && code < 256)
        return std::string("-") + static_cast<char>(code);
    for (const option& o : kLongOptions)
        if (o.name && o.val == code)
            return std::string("--") + o.name;
    return given ? given : "";
}

} // namespace

std::string HelpText()
{
    std::string text = UsageText;
    text +=
        "\nMakes a Shift_JIS thumbnail gallery page from the FILEs, in the order given,\n"
        "as the KAMEOLA window does.\n\nOptions:\n";
    for (const OptionHelp& option : OptionHelps()) {
        text += "  ";
        text += option.Names;
        text += '\n';
        AppendWrapped(text, option.Sentence, 6, 79);
    }
    for (const char* paragraph : kTrailer) {
        text += '\n';
        AppendWrapped(text, paragraph, 0, 79);
    }
    return text;
}

namespace {

// Settles an option that shapes the page; false when code is another option.
bool ApplyPageOption(int code, const std::string& value, GalleryJob& job, bool& faceGiven)
{
    switch (code) {
    case 'o': job.OutputDir = value; break;
    case kPage: job.PageName = value; break;
    case kTitle: job.Title = value; break;
    case kColumns: job.Columns = ParseNumber("--columns", value, kColumnsRange); break;
    case kWidth: job.ThumbWidth = ParseNumber("--width", value, kThumbWidthRange); break;
    case kSmall: job.MakeSmallImages = true; break;
    case kNames: job.ShowFileNames = true; break;
    case kNumbers: job.NumberEntries = true; break;
    case kLink: job.LinkInPlace = true; break;
    case kBackgroundImage: job.Style.BackgroundImage = value; break;
    case kFont:
        job.Style.FontFace = value;
        job.Style.StyleChanged = true;
        faceGiven = true;
        break;
    case kTextColor:
        job.Style.TextColor = ParseColor("--text-color", value);
        job.Style.StyleChanged = true;
        break;
    case kBackgroundColor:
        job.Style.BackgroundColor = ParseColor("--background-color", value);
        job.Style.StyleChanged = true;
        break;
    default:
        return false;
    }
    return true;
}

// The usage error for what getopt_long refused: code '?' or ':'.
[[noreturn]] void ThrowRefused(int code, const char* given)
{
    if (code == ':')
        throw UsageError("option " + OptionName(::optopt, given) + " needs a value");
    if (::optopt != 0) {
        const std::string name = OptionName(::optopt, given);
        if (name.rfind("--", 0) == 0)
            throw UsageError("option " + name + " takes no value");
        throw UsageError("unknown option " + name);
    }
    const std::string_view word(given ? given : "");
    throw UsageError("unknown option " + std::string(word.substr(0, word.find('='))));
}

// Settles an option of the run or the program; raises a usage error for any other code.
void ApplyRunOption(int code, const std::string& value, const char* given, CliOptions& options,
                    std::vector<std::string>& lists)
{
    switch (code) {
    case 'j': options.Run.Jobs = ParseNumber("--jobs", value, kJobsRange); break;
    case 'k': options.Run.KeepGoing = true; break;
    case 'u': options.Run.Update = true; break;
    case 'q': options.Quiet = true; break;
    case kFilesFrom: lists.push_back(value); break;
    case 'h': options.Help = true; break;
    case 'V': options.Version = true; break;
    case '?':
    case ':': ThrowRefused(code, given);
    default: throw UsageError("unknown option " + std::string(given ? given : ""));
    }
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

} // namespace

CliOptions ParseOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    GalleryJob& job = options.Job;
    bool outputGiven = false;
    bool faceGiven = false;
    std::vector<std::string> lists;
    ArgumentVector arguments(args);
    const int argc = arguments.Count();
    char** const argv = arguments.argv.data();

    ::opterr = 0;
    ::optind = 0;  // starts a fresh scan, also after an earlier call
    for (int code; (code = ::getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1;) {
        const char* given = argv[::optind - 1];
        const std::string value = ::optarg ? ::optarg : "";
        outputGiven = outputGiven || code == 'o';
        if (!ApplyPageOption(code, value, job, faceGiven))
            ApplyRunOption(code, value, given, options, lists);
    }
    if (options.Help || options.Version)
        return options;
    if (!outputGiven)
        throw UsageError("-o DIR is required");
    for (int i = ::optind; i < argc; ++i)
        options.Files.push_back(argv[i]);
    for (const std::string& list : lists)
        ReadFileList(list, options.Files);
    if (options.Files.empty())
        throw UsageError("no FILE given");
    // A batch run has nobody to ask.
    options.Run.CreateMissingFolder = true;
    // The face the style dialog starts with; looked up only when the page will name it.
    if (job.Style.StyleChanged && !faceGiven)
        job.Style.FontFace = DefaultPageFace();
    return options;
}

} // namespace kameola
