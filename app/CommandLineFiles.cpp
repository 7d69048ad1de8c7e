// SPDX-License-Identifier: MIT
// The window's command line: --help and --version, files to add, unknown options.
#include "app/CommandLineFiles.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kameola {

namespace {

// Qt's options that take the next argument as their value.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-style", "-stylesheet", "-session", "-display", "-name"};

bool TakesValue(std::string_view arg)
{
    if (arg.starts_with("--"))
        arg.remove_prefix(1);
    return std::find(kQtOptionsWithValue.begin(), kQtOptionsWithValue.end(), arg)
           != kQtOptionsWithValue.end();
}

} // namespace

EarlyRequest FindEarlyRequest(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "-h" || arg == "--help")
            return EarlyRequest::Help;
        if (arg == "-V" || arg == "--version")
            return EarlyRequest::Version;
        if (TakesValue(arg))
            ++i;
    }
    return EarlyRequest::None;
}

std::string CommandLineHelp()
{
    return "Usage: kameola [OPTION]... [--] [FILE]...\n"
           "Make a thumbnail-gallery web page from image files; the window starts with the\n"
           "FILEs in its list, added as a drop adds them.\n"
           "\n"
           "  -h, --help        show this help and exit\n"
           "  -V, --version     show the version and exit\n"
           "  --                the arguments after it are files, also when they start with \"-\"\n"
           "\n"
           "Qt's standard options are taken too, among them:\n"
           "  -platform NAME    the platform plug-in (xcb, wayland, offscreen, ...)\n"
           "  -style NAME       the widget style\n"
           "  -stylesheet FILE  a style sheet for the windows\n"
           "  -display DISPLAY  the X display (xcb only)\n"
           "  -reverse          right-to-left layout\n"
           "  -qwindowgeometry GEOMETRY, -qwindowtitle TITLE, -qwindowicon FILE,\n"
           "  -platformtheme NAME, -plugin PLUGIN, -session NAME\n"
           "\n"
           "Exit status is 0 when the window was closed, 2 for an unknown option.\n";
}

CommandLineArgs ParseCommandLine(int argc, char** argv)
{
    CommandLineArgs args;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.starts_with("-")) {
            if (args.UnknownOption.empty())
                args.UnknownOption = arg;
        } else {
            args.Files.push_back(AbsolutePath(argv[i]));
        }
    }
    return args;
}

} // namespace kameola
