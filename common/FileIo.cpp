// SPDX-License-Identifier: MIT
// Plain file I/O on a FileHandle.
#include "common/FileIo.h"

#include <algorithm>
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

bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got)
{
    iovec part{buffer, size};
    return ReadPartsAt(fd, offset, &part, 1, got);
}

bool ReadPartsAt(int fd, std::uint64_t offset, iovec* parts, int count, std::size_t* got)
{
    std::size_t done = 0;
    while (count > 0) {
        const ssize_t n = RetryInterrupted(
            [&] { return ::preadv(fd, parts, count, static_cast<off_t>(offset + done)); });
        if (n < 0) {
            *got = done;
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        // Drop the parts filled, and the filled front of the next one.
        for (std::size_t left = static_cast<std::size_t>(n); count > 0 && left > 0;) {
            const std::size_t take = std::min(left, parts->iov_len);
            parts->iov_base = static_cast<std::uint8_t*>(parts->iov_base) + take;
            parts->iov_len -= take;
            left -= take;
            if (parts->iov_len == 0) {
                ++parts;
                --count;
            }
        }
        while (count > 0 && parts->iov_len == 0) {
            ++parts;
            --count;
        }
    }
    *got = done;
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = RetryInterrupted([&] { return ::write(fd, in, size); });
        if (n < 0)
            return false;
        in += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace kameola
