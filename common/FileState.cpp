// SPDX-License-Identifier: MIT
// The state of files: identity, content state, age.
#include "common/FileState.h"

namespace kameola {

FileId IdentifyFile(const std::string& path)
{
    struct stat st {};
    if (!path.empty() && ::stat(path.c_str(), &st) == 0)
        return {true, st.st_dev, st.st_ino, {},
                S_ISREG(st.st_mode) ? static_cast<std::uintmax_t>(st.st_size) : 0};
    return {false, 0, 0, path, 0};
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameContentState(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool Older(const struct stat& file, const struct stat& than)
{
    return file.st_mtim.tv_sec != than.st_mtim.tv_sec ? file.st_mtim.tv_sec < than.st_mtim.tv_sec
                                                      : file.st_mtim.tv_nsec < than.st_mtim.tv_nsec;
}

CopyState CopyStateOf(const std::string& target, const struct stat& source)
{
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0)
        return CopyState::Missing;
    return Older(info, source) ? CopyState::Stale : CopyState::Current;
}

} // namespace kameola
