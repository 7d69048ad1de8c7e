// SPDX-License-Identifier: MIT
// Whether the windows can find a display, judged before Qt starts.
#include "app/Display.h"

#include "app/CommandLineFiles.h"

#include <QDir>
#include <QLibraryInfo>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace kameola {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// An X server that takes a connection, as Qt's X11 platform makes it.
bool XDisplayUsable(const std::string& display)
{
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), &screen);
    const bool usable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return usable;
}

bool UnixSocketAccepts(const std::string& path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

// A Wayland compositor to connect to, and Qt's Wayland platform installed.
bool WaylandUsable()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    if (platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty())
        return false;
    if (!Environment("WAYLAND_SOCKET").empty())
        return true;
    std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty())
        name = "wayland-0";
    if (name.front() != '/') {
        const std::string runtime = Environment("XDG_RUNTIME_DIR");
        if (runtime.empty())
            return false;
        name = runtime + "/" + name;
    }
    return UnixSocketAccepts(name);
}

// The platforms Qt tries, in order, each with its options after ":".
std::vector<std::string> Platforms(int argc, char** argv)
{
    std::string named = QtOptionValue(argc, argv, "-platform");
    if (named.empty())
        named = Environment("QT_QPA_PLATFORM");
    if (named.empty()) {
        const bool wayland = !Environment("WAYLAND_DISPLAY").empty() || Environment("XDG_SESSION_TYPE") == "wayland";
        named = wayland ? "wayland;xcb" : "xcb";
    }
    std::vector<std::string> platforms;
    for (std::size_t start = 0; start <= named.size();) {
        const std::size_t end = std::min(named.find(';', start), named.size());
        platforms.push_back(named.substr(start, end - start));
        start = end + 1;
    }
    return platforms;
}

} // namespace

bool DisplayUsable(int argc, char** argv)
{
    for (const std::string& platform : Platforms(argc, argv)) {
        const std::string name = platform.substr(0, platform.find(':'));
        if (name == "xcb") {
            if (XDisplayUsable(QtOptionValue(argc, argv, "-display")))
                return true;
        } else if (name.starts_with("wayland")) {
            if (WaylandUsable())
                return true;
        } else if (!name.empty()) {
            return true;  // offscreen, minimal, vnc, linuxfb, ...: no display to find
        }
    }
    return false;
}

} // namespace kameola
