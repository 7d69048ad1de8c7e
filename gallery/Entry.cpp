// SPDX-License-Identifier: MIT
// Making list entries from file paths.
#include "gallery/Entry.h"

#include "common/Errors.h"
#include "common/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

GalleryEntry OpenEntry(const std::string& path)
{
    struct stat st {};
    FileHandle file = OpenRegularFile(path, &st);
    if (!file.Valid())
        throw EFOpenError(path);
    return GalleryEntry{path, std::to_string(static_cast<long long>(st.st_size))};
}

std::vector<GalleryEntry> OpenEntries(const std::vector<std::string>& paths, RunHost& host,
                                      bool keepGoing)
{
    std::vector<GalleryEntry> entries;
    entries.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        try {
            entries.push_back(OpenEntry(paths[i]));
        } catch (Exception& e) {
            if (!keepGoing) {
                e.SetEntryIndex(static_cast<int>(i));
                throw;
            }
            host.EntryFailed(paths[i], e.Text());
        }
    }
    return entries;
}

} // namespace kameola
