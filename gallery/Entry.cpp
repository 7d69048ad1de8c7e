// Making a list entry from a file path.
#include "Entry.h"

#include "Errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

GalleryEntry OpenEntry(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFOpenError(path);
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    if (!ok)
        throw EFOpenError(path);
    return GalleryEntry{path, std::to_string(static_cast<long long>(st.st_size))};
}

} // namespace kameola
