// Making a list entry from a file path.
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

} // namespace kameola
