// SPDX-License-Identifier: MIT
// Folders of the file system: whether one exists, making a chain of them, absolute paths.
#include "gallery/FileSystem.h"

#include "common/Errors.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace kameola {

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

void CreateDirectoryChain(std::string_view directory, PathSyntax syntax)
{
    auto ensure = [](const std::string& level) {
        if (DirectoryExists(level))
            return;
        // Another process may make the same folder at the same moment: then it is there.
        if (::mkdir(level.c_str(), 0777) != 0) {
            const int err = errno;
            if (err != EEXIST || !DirectoryExists(level))
                throw EInOutError::FromErrno(err);
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
