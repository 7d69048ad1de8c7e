// SPDX-License-Identifier: MIT
// The state of files: identity, content state, whether an output is up to date.
#include "common/FileState.h"

#include <algorithm>
#include <cstdint>

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

namespace {

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether two times lie closer together than the resolution.
bool EqualTo(const timespec& a, const timespec& b, TimeResolution resolution)
{
    constexpr std::int64_t kBillion = 1000000000;
    // Seconds apart beyond any resolution cannot be multiplied out without overflow.
    const std::int64_t seconds = static_cast<std::int64_t>(a.tv_sec) - b.tv_sec;
    const std::int64_t reach = resolution.count() / kBillion + 1;
    if (seconds > reach || seconds < -reach)
        return false;
    std::int64_t apart = seconds * kBillion + (a.tv_nsec - b.tv_nsec);
    if (apart < 0)
        apart = -apart;
    return apart < std::max<std::int64_t>(resolution.count(), 1);
}

} // namespace

bool SameContentState(const struct stat& a, const struct stat& b)
{
    return SameFile(a, b) && a.st_size == b.st_size && SameTime(a.st_mtim, b.st_mtim) &&
           SameTime(a.st_ctim, b.st_ctim);
}

bool UpToDate(const struct stat& output, const struct stat& source, TimeResolution resolution,
              bool sizeAsWritten)
{
    return sizeAsWritten && EqualTo(output.st_mtim, source.st_mtim, resolution);
}

CopyState CopyStateOf(const std::string& target, const struct stat& source,
                      TimeResolution resolution)
{
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0)
        return CopyState::Missing;
    const bool sameBytes = S_ISREG(info.st_mode) && info.st_size == source.st_size;
    return UpToDate(info, source, resolution, sameBytes) ? CopyState::Current : CopyState::Stale;
}

} // namespace kameola
