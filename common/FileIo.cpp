// Plain file I/O on a FileHandle.
#include "common/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kameola {

FileHandle OpenRegularFile(const std::string& path, struct stat* info)
{
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.Valid())
        return file;
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) {
        const int err = errno;
        file.Close();
        errno = err;
        return FileHandle(-1);
    }
    if (!S_ISREG(st.st_mode)) {
        file.Close();
        errno = EINVAL;
        return FileHandle(-1);
    }
    if (info)
        *info = st;
    return file;
}

bool ReadAll(int fd, std::vector<std::uint8_t>& bytes)
{
    std::size_t filled = bytes.size();
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        if (at >= 0 && st.st_size > at)
            bytes.resize(filled + static_cast<std::size_t>(st.st_size - at));
    }
    for (;;) {
        if (filled == bytes.size())  // the file grew, or its size was not known
            bytes.resize(bytes.size() + 65536);
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            bytes.resize(filled);
            return false;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return true;
}

bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *got = done;
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    *got = done;
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, in, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        in += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace kameola
