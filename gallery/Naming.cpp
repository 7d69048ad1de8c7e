// SPDX-License-Identifier: MIT
// Naming rules. Text is UTF-8, so no byte of a multi-byte character can be taken for a
// separator, a colon or a dot: plain byte searches are safe.
#include "gallery/Naming.h"

#include "gallery/TextEncoding.h"

namespace kameola {

namespace {

// Position just after the last separator or drive colon; 0 when there is none.
std::size_t NameStart(std::string_view path, PathSyntax syntax)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        char c = path[i - 1];
        if (IsSeparator(c, syntax) || (syntax == PathSyntax::Windows && c == ':'))
            return i;
    }
    return 0;
}

bool NeedsEncoding(unsigned char c, PathSyntax syntax)
{
    switch (c) {
    case '"': case '#': case '?': case '%': case '&': return true;
    case '\\': case ':': return syntax == PathSyntax::Native;
    default: return c < 0x20 || c == 0x7F;
    }
}

// Appends the text percent-encoded for an address; a space is encoded at the text's end
// and, when atStart, at its start.
void AppendEncoded(std::string_view text, PathSyntax syntax, bool atStart, std::string& out)
{
    static const char kHex[] = "0123456789ABCDEF";
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        const bool edgeSpace = c == ' ' && ((atStart && i == 0) || i + 1 == text.size());
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (length == 0 || edgeSpace || NeedsEncoding(c, syntax)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
}

char UpperByte(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string BaseName(std::string_view path, PathSyntax syntax)
{
    return std::string(path.substr(NameStart(path, syntax)));
}

std::string ExtensionOf(std::string_view path, PathSyntax syntax)
{
    std::size_t start = NameStart(path, syntax);
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start)
        return {};
    return std::string(path.substr(dot));
}

std::string ChangeExtension(std::string_view name, std::string_view extension, PathSyntax syntax)
{
    std::size_t old = ExtensionOf(name, syntax).size();
    std::string result(name.substr(0, name.size() - old));
    result += extension;
    return result;
}

std::string UpperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = UpperByte(c);
    return result;
}

std::string WebSmallImageName(std::string_view baseName, PathSyntax syntax)
{
    const std::string ext = ExtensionOf(baseName, syntax);
    std::string name(baseName.substr(0, baseName.size() - ext.size()));
    return name + "s" + ext + ".jpg";
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement)
{
    if (pattern.empty())
        return std::string(text);
    std::string upperText = UpperAscii(text);
    std::string upperPattern = UpperAscii(pattern);
    std::string result;
    std::size_t from = 0;
    for (;;) {
        std::size_t hit = upperText.find(upperPattern, from);
        if (hit == std::string::npos)
            break;
        result.append(text.substr(from, hit - from));
        result.append(replacement);
        from = hit + pattern.size();
    }
    result.append(text.substr(from));
    return result;
}

std::string JoinOutputPath(std::string_view directory, std::string_view name, PathSyntax syntax)
{
    std::string result(directory);
    if (!result.empty()) {
        // Windows syntax joins with "\" and takes only "\" as already ending the text.
        char sep = syntax == PathSyntax::Windows ? '\\' : '/';
        if (result.back() != sep)
            result += sep;
    }
    result += name;
    return result;
}

std::string NameAddress(std::string_view name, PathSyntax syntax)
{
    std::string out;
    AppendEncoded(name, syntax, true, out);
    return out;
}

std::string FileAddress(std::string_view path, PathSyntax syntax)
{
    std::string out = "file://";
    if (syntax == PathSyntax::Native) {
        AppendEncoded(path, syntax, false, out);
        return out;
    }
    std::string slashed(path);
    for (char& c : slashed) {
        if (c == '\\')
            c = '/';
    }
    AppendEncoded(slashed, syntax, false, out);
    return out;
}

} // namespace kameola
