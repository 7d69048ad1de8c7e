// SPDX-License-Identifier: MIT
// The window's command line: --help and --version, files to add, unknown options.
#include "app/CommandLineFiles.h"

#include "gallery/FileSystem.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kameola {

namespace {

// Qt's documented options (QGuiApplication, QApplication and the X11 platform's), and
// whether each takes the next argument as its value. Qt also takes them with two dashes.
struct QtOption {
    std::string_view name;
    bool value;
};
constexpr std::array<QtOption, 22> kQtOptions = {{
    {"-platform", true}, {"-platformpluginpath", true}, {"-platformtheme", true}, {"-plugin", true},
    {"-qwindowgeometry", true}, {"-qwindowicon", true}, {"-qwindowtitle", true}, {"-session", true},
    {"-style", true}, {"-stylesheet", true}, {"-display", true}, {"-geometry", true},
    {"-title", true}, {"-icon", true}, {"-name", true}, {"-visual", true},
    {"-reverse", false}, {"-widgetcount", false}, {"-nograb", false}, {"-dograb", false},
    {"-sync", false}, {"-testability", false}}};

std::string_view OneDash(std::string_view arg)
{
    if (arg.starts_with("--"))
        arg.remove_prefix(1);
    return arg;
}

const QtOption* FindQtOption(std::string_view arg)
{
    arg = OneDash(arg);
    for (const QtOption& option : kQtOptions)
        if (option.name == arg)
            return &option;
    return nullptr;
}

bool TakesValue(std::string_view arg)
{
    const QtOption* option = FindQtOption(arg);
    return option && option->value;
}

// Qt's options that carry their value after "=".
bool IsQtOptionWithEquals(std::string_view arg)
{
    arg = OneDash(arg);
    for (std::string_view prefix : {"-style=", "-stylesheet=", "-qmljsdebugger="})
        if (arg.starts_with(prefix))
            return true;
    return false;
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
           "Exit status is 0 when the window was closed, 1 when no display can be opened,\n"
           "2 for an unknown option.\n";
}

std::string CommandLineVersion(const std::string& version)
{
    return "kameola " + version + "\n"
           "Copyright (c) 2026 The KAMEOLA developers\n"
           "License MIT: <https://opensource.org/licenses/MIT>\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
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
            if (const QtOption* qt = FindQtOption(arg)) {
                i += qt->value ? 1 : 0;  // Qt's, with its value: Qt takes them
            } else if (!IsQtOptionWithEquals(arg) && args.UnknownOption.empty()) {
                args.UnknownOption = arg;
            }
        } else {
            args.Files.push_back(AbsolutePath(argv[i]));
        }
    }
    return args;
}

std::string QtOptionValue(int argc, char** argv, std::string_view name)
{
    std::string value;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (OneDash(arg) == name && i + 1 < argc)
            value = argv[i + 1];
        if (TakesValue(arg))
            ++i;
    }
    return value;
}

} // namespace kameola
