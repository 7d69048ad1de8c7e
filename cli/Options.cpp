// Command-line options of kameola-cli.
#include "cli/Options.h"

#include "gallery/DefaultFace.h"

#include <charconv>
#include <string_view>

namespace kameola {

const char* const UsageText =
    "usage: kameola-cli -o DIR [--page NAME] [--title TEXT] [--columns N]\n"
    "                   [--width N] [--small] [--names] [--numbers] [--link]\n"
    "                   [--font FACE] [--text-color RRGGBB]\n"
    "                   [--background-color RRGGBB]\n"
    "                   [--background-image PATH] [--jobs N] [--keep-going] FILE...\n"
    "       kameola-cli --help | --version\n";

namespace {

struct OptionHelp {
    const char* Names;
    const char* Sentence;
};

// One row per option, in the order --help lists them.
const OptionHelp OptionHelps[] = {
    {"-o, --output DIR", "Folder the page and its files are written to; it is created when missing. Required."},
    {"--page NAME", "File name of the page in the output folder (default: index.htm)."},
    {"--title TEXT", "Title and heading of the page (default: 画像一覧)."},
    {"--columns N", "Number of thumbnails in a table row, 1 to 100 (default: 8)."},
    {"--width N", "Thumbnail width in pixels, 1 to 32767; the height keeps the picture's proportions (default: 100)."},
    {"--small", "Write a reduced JPEG copy of each JPEG and BMP file, at the thumbnail width, and show it as the thumbnail (default: off)."},
    {"--names", "Show each file's name under its thumbnail (default: off)."},
    {"--numbers", "Number the thumbnails #1, #2, ... on the page (default: off)."},
    {"--link", "Link the files where they are, by file:// address, instead of copying them into the output folder (default: off, the files are copied and BMP files converted to JPEG)."},
    {"--font FACE", "Font face of the page's text; any of --font, --text-color and --background-color gives the page a FONT element (default: no FONT element; when only a colour is given, the face ＭＳ Ｐゴシック if it is installed, else an empty face)."},
    {"--text-color RRGGBB", "Text colour as six hexadecimal digits, red, green, blue (default: 000000, black)."},
    {"--background-color RRGGBB", "Background colour as six hexadecimal digits, red, green, blue (default: ffffff, white)."},
    {"--background-image PATH", "Picture shown behind the page; it is copied into the output folder unless --link is given (default: none)."},
    {"--jobs N", "Number of threads that read and shrink pictures, 1 to 64; the files written are the same for any number (default: one per CPU the program may use)."},
    {"--keep-going", "Leave a file that fails out of the page, report it as PATH: message, go on with the rest and exit with status 1 at the end (default: off, the first failure stops the run)."},
    {"-h, --help", "Print this help and exit."},
    {"--version", "Print the program's version and exit."},
    {"--", "Take every argument after it as a FILE, also one that begins with a dash."},
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

} // namespace

std::string HelpText()
{
    std::string text = UsageText;
    text +=
        "\nMakes a Shift_JIS thumbnail gallery page from the FILEs, in the order given,\n"
        "as the KAMEOLA window does.\n"
        "Exit status: 0 on success, 1 when the run stops on an error, 2 for a command\n"
        "line that cannot be used.\n\nOptions:\n";
    for (const OptionHelp& option : OptionHelps) {
        text += "  ";
        text += option.Names;
        text += '\n';
        AppendWrapped(text, option.Sentence, 6, 79);
    }
    return text;
}

CliOptions ParseOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    GalleryJob& job = options.Job;
    bool outputGiven = false;
    bool faceGiven = false;
    bool onlyFiles = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            options.Files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "-h" || arg == "--help") {
            options.Help = true;
        } else if (arg == "--version") {
            options.Version = true;
        } else if (arg == "-o" || arg == "--output") {
            job.OutputDir = value();
            outputGiven = true;
        } else if (arg == "--page") {
            job.PageName = value();
        } else if (arg == "--title") {
            job.Title = value();
        } else if (arg == "--columns") {
            job.Columns = ParseNumber(arg, value(), kColumnsRange);
        } else if (arg == "--width") {
            job.ThumbWidth = ParseNumber(arg, value(), kThumbWidthRange);
        } else if (arg == "--small") {
            job.MakeSmallImages = true;
        } else if (arg == "--names") {
            job.ShowFileNames = true;
        } else if (arg == "--numbers") {
            job.NumberEntries = true;
        } else if (arg == "--link") {
            job.LinkInPlace = true;
        } else if (arg == "--font") {
            job.Style.FontFace = value();
            job.Style.StyleChanged = true;
            faceGiven = true;
        } else if (arg == "--text-color") {
            job.Style.TextColor = ParseColor(arg, value());
            job.Style.StyleChanged = true;
        } else if (arg == "--background-color") {
            job.Style.BackgroundColor = ParseColor(arg, value());
            job.Style.StyleChanged = true;
        } else if (arg == "--background-image") {
            job.Style.BackgroundImage = value();
        } else if (arg == "--jobs") {
            options.Run.Jobs = ParseNumber(arg, value(), kJobsRange);
        } else if (arg == "--keep-going") {
            options.Run.KeepGoing = true;
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (!options.Help && !options.Version && !outputGiven)
        throw UsageError("-o DIR is required");
    // The face the style dialog starts with; looked up only when the page will name it.
    if (job.Style.StyleChanged && !faceGiven)
        job.Style.FontFace = DefaultPageFace();
    return options;
}

} // namespace kameola
