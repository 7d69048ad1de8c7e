// Naming rules. Text is UTF-8, so no byte of a multi-byte character can be taken for a
// separator, a colon or a dot: plain byte searches are safe.
#include "gallery/Naming.h"

#include "common/Errors.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace kameola {

namespace {

bool IsSeparator(char c, PathSyntax syntax)
{
    return c == '/' || (syntax == PathSyntax::Windows && c == '\\');
}

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

FileClass ClassifyExtension(std::string_view path, PathSyntax syntax)
{
    std::string ext = UpperAscii(ExtensionOf(path, syntax));
    if (ext == ".BMP")
        return FileClass::Bmp;
    if (ext == ".JPG" || ext == ".JPEG")
        return FileClass::Jpeg;
    return FileClass::Other;
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

std::string SmallImageName(std::string_view baseName, FileClass fileClass)
{
    switch (fileClass) {
    case FileClass::Jpeg: return ReplaceAllNoCase(baseName, ".jp", "s.jp");
    case FileClass::Bmp: return ReplaceAllNoCase(baseName, ".bmp", "s.jpg");
    case FileClass::Other: break;
    }
    return std::string(baseName);
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

std::string FileUrl(std::string_view path, PathSyntax syntax)
{
    std::string result = "file://";
    for (char c : path)
        result += (syntax == PathSyntax::Windows && c == '\\') ? '/' : c;
    return result;
}

std::string DecimalText(long long value)
{
    return std::to_string(value);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::string joined;
    if (path.front() != '/') {
        std::string cwd(256, '\0');
        while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE)
                return path;  // no working folder to resolve against: leave it as given
            cwd.resize(cwd.size() * 2);
        }
        joined = cwd.c_str();
    }
    joined += '/';
    joined += path;

    // Drop empty and "." elements; keep a trailing separator.
    std::string result;
    std::size_t start = 0;
    while (start < joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        std::string_view element(joined.data() + start, end - start);
        if (!element.empty() && element != ".") {
            result += '/';
            result += element;
        }
        start = end + 1;
    }
    if (result.empty())
        return "/";
    if (joined.back() == '/')
        result += '/';
    return result;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void CreateDirectoryChain(std::string_view directory, PathSyntax syntax)
{
    auto ensure = [](const std::string& level) {
        if (DirectoryExists(level))
            return;
        if (::mkdir(level.c_str(), 0777) != 0) {
            throw EInOutError::FromErrno(errno);
        }
    };
    for (std::size_t i = 0; i < directory.size(); ++i) {
        if (IsSeparator(directory[i], syntax))
            ensure(std::string(directory.substr(0, i + 1)));
    }
    if (directory.empty() || !IsSeparator(directory.back(), syntax))
        ensure(std::string(directory));
}

} // namespace kameola
