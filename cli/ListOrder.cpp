// SPDX-License-Identifier: MIT
// Sorting the list of files by name or by the time a photo was taken.
#include "cli/ListOrder.h"

#include "cli/NaturalOrder.h"
#include "imaging/DateTaken.h"

#include <algorithm>
#include <cstdint>
#include <sys/stat.h>
#include <tuple>

namespace kameola {

namespace {

struct Timed {
    std::int64_t Seconds = 0;
    long Nanoseconds = 0;
    std::string Path;
};

// The Exif date taken, else the modification time; a file that cannot be read sorts
// at the epoch and fails when it is opened.
Timed TimeOf(const std::string& path)
{
    Timed timed{0, 0, path};
    if (const std::optional<DateTaken> date = ReadDateTaken(path)) {
        timed.Seconds = SecondsSinceEpoch(*date);
        return timed;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        timed.Seconds = info.st_mtim.tv_sec;
        timed.Nanoseconds = info.st_mtim.tv_nsec;
    }
    return timed;
}

} // namespace

std::optional<SortKey> ParseSortKey(std::string_view word)
{
    if (word == "none")
        return SortKey::None;
    if (word == "name")
        return SortKey::Name;
    if (word == "time")
        return SortKey::Time;
    return std::nullopt;
}

void SortFiles(std::vector<std::string>& files, SortKey key)
{
    if (key == SortKey::Name)
        std::stable_sort(files.begin(), files.end(), NaturalLess);
    if (key != SortKey::Time)
        return;
    std::vector<Timed> timed;
    timed.reserve(files.size());
    for (const std::string& path : files)
        timed.push_back(TimeOf(path));
    std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) {
        if (std::tie(a.Seconds, a.Nanoseconds) != std::tie(b.Seconds, b.Nanoseconds))
            return std::tie(a.Seconds, a.Nanoseconds) < std::tie(b.Seconds, b.Nanoseconds);
        return NaturalLess(a.Path, b.Path);
    });
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = std::move(timed[i].Path);
}

} // namespace kameola
