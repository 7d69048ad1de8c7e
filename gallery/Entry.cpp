// Making a list entry from a file path.
#include "gallery/Entry.h"

#include "common/Errors.h"
#include "common/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

GalleryEntry OpenEntry(const std::string& path)
{
    // O_NONBLOCK keeps a named pipe without a writer from hanging the caller.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EFOpenError(path);
    return GalleryEntry{path, std::to_string(static_cast<long long>(st.st_size))};
}

} // namespace kameola
