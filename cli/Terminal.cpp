// SPDX-License-Identifier: MIT
// Text on a terminal.
#include "cli/Terminal.h"

#include "gallery/TextEncoding.h"

#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cwchar>
#include <locale.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace kameola {

namespace {

// One character of UTF-8 text: its code point, or -1 for a byte that starts no valid
// sequence (taken alone), and the bytes it spans.
struct Character {
    long CodePoint;
    std::size_t Length;
};

Character DecodeAt(std::string_view text, std::size_t at)
{
    char32_t codePoint = 0;
    const std::size_t length = DecodeUtf8(text, at, codePoint);
    if (length == 0)
        return {-1, 1};
    return {static_cast<long>(codePoint), length};
}

bool IsControl(long codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

// The width of one printable character, by the C library's UTF-8 tables.
int CharacterWidth(long codePoint)
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    if (!utf8)
        return 1;
    const locale_t previous = ::uselocale(utf8);
    const int width = ::wcwidth(static_cast<wchar_t>(codePoint));
    ::uselocale(previous);
    return width >= 0 ? width : 1;
}

// The characters of harmless text with their widths.
struct Piece {
    std::string_view Text;
    int Width;
};

std::vector<Piece> Pieces(std::string_view text)
{
    std::vector<Piece> pieces;
    for (std::size_t at = 0; at < text.size();) {
        const Character c = DecodeAt(text, at);
        const int width = c.CodePoint < 0 || IsControl(c.CodePoint) ? 1 : CharacterWidth(c.CodePoint);
        pieces.push_back({text.substr(at, c.Length), width});
        at += c.Length;
    }
    return pieces;
}

} // namespace

std::string HarmlessText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Character c = DecodeAt(text, at);
        if (c.CodePoint < 0 || IsControl(c.CodePoint))
            out += '?';
        else
            out.append(text.substr(at, c.Length));
        at += c.Length;
    }
    return out;
}

int DisplayWidth(std::string_view text)
{
    int width = 0;
    for (const Piece& piece : Pieces(text))
        width += piece.Width;
    return width;
}

std::string ShortenMiddle(std::string_view text, int columns)
{
    const std::vector<Piece> pieces = Pieces(text);
    int width = 0;
    for (const Piece& piece : pieces)
        width += piece.Width;
    if (width <= columns)
        return std::string(text);
    const std::string_view dots = "...";
    const int dotsWidth = static_cast<int>(dots.size());
    if (columns < dotsWidth)
        return std::string(dots.substr(0, columns > 0 ? static_cast<std::size_t>(columns) : 0));
    // The start gets the larger half of what is left.
    const int room = columns - dotsWidth;
    const int headRoom = room - room / 2;
    std::string head;
    int used = 0;
    std::size_t first = 0;
    while (first < pieces.size() && used + pieces[first].Width <= headRoom) {
        used += pieces[first].Width;
        head.append(pieces[first].Text);
        ++first;
    }
    int tailUsed = 0;
    std::size_t last = pieces.size();
    while (last > first && used + tailUsed + pieces[last - 1].Width <= room) {
        tailUsed += pieces[last - 1].Width;
        --last;
    }
    std::string out = head;
    out.append(dots);
    for (std::size_t i = last; i < pieces.size(); ++i)
        out.append(pieces[i].Text);
    return out;
}

namespace {

volatile std::sig_atomic_t g_resized = 0;

extern "C" void NoteResize(int) { g_resized = 1; }

} // namespace

void WatchTerminalSize()
{
    struct sigaction action {};
    action.sa_handler = NoteResize;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a read or write under way goes on
    ::sigaction(SIGWINCH, &action, nullptr);
}

bool TerminalResized()
{
    if (!g_resized)
        return false;
    g_resized = 0;
    return true;
}

int TerminalColumns(int fd)
{
    winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* env = std::getenv("COLUMNS")) {
        const std::string_view text(env);
        int columns = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), columns);
        if (ec == std::errc() && end == text.data() + text.size() && columns > 0)
            return columns;
    }
    return 80;
}

} // namespace kameola
