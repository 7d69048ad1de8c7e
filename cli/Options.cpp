// Command-line options of kameola-cli.
#include "cli/Options.h"

#include "gallery/DefaultFace.h"

#include <charconv>

namespace kameola {

const char* const UsageText =
    "usage: kameola-cli -o DIR [--page NAME] [--title TEXT] [--columns N] [--width N]\n"
    "                   [--small] [--names] [--numbers] [--link]\n"
    "                   [--font FACE] [--text-color RRGGBB] [--background-color RRGGBB]\n"
    "                   [--background-image PATH] [--jobs N] [--keep-going] FILE...\n";

namespace {

int ParseNumber(const std::string& option, const std::string& text, int low, int high)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " must be a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return value;
}

// "RRGGBB" as on the page, held as 0x00BBGGRR.
Color ParseColor(const std::string& option, const std::string& text)
{
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 6 || ec != std::errc() || end != text.data() + text.size())
        throw UsageError(option + " must be six hexadecimal digits RRGGBB");
    return ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
}

} // namespace

CliOptions ParseOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    GalleryJob& job = options.Job;
    job.Style.FontFace = DefaultPageFace();  // as the style dialog starts
    bool outputGiven = false;
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
        } else if (arg == "-o" || arg == "--output") {
            job.OutputDir = value();
            outputGiven = true;
        } else if (arg == "--page") {
            job.PageName = value();
        } else if (arg == "--title") {
            job.Title = value();
        } else if (arg == "--columns") {
            job.Columns = ParseNumber(arg, value(), 1, 100);
        } else if (arg == "--width") {
            job.ThumbWidth = ParseNumber(arg, value(), 1, 32767);
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
        } else if (arg == "--text-color") {
            job.Style.TextColor = ParseColor(arg, value());
            job.Style.StyleChanged = true;
        } else if (arg == "--background-color") {
            job.Style.BackgroundColor = ParseColor(arg, value());
            job.Style.StyleChanged = true;
        } else if (arg == "--background-image") {
            job.Style.BackgroundImage = value();
        } else if (arg == "--jobs") {
            options.Run.Jobs = ParseNumber(arg, value(), 1, 64);
        } else if (arg == "--keep-going") {
            options.Run.KeepGoing = true;
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (!options.Help && !outputGiven)
        throw UsageError("-o DIR is required");
    return options;
}

} // namespace kameola
