// SPDX-License-Identifier: MIT
// Plain file I/O on a FileHandle: the one way to open a listed file, whole reads and
// writes that retry interrupted and short transfers, and the one retry of interrupted calls.
#pragma once

#include "common/FileHandle.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/uio.h>
#include <vector>

namespace kameola {

// Calls call() again while it fails with EINTR; returns its last result.
template <class Call> auto RetryInterrupted(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// Opens a file for reading. O_NONBLOCK keeps a named pipe without a writer or a device
// from blocking the caller; anything but a regular file is refused. On failure the handle
// is invalid and errno tells why (EINVAL for a file that is not regular). When info is
// given it receives the file's status.
FileHandle OpenRegularFile(const std::string& path, struct stat* info = nullptr);

// Reads up to size bytes at offset into buffer; *got is fewer than size only at the end
// of the file. False on a read error (errno set).
bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got);

// Reads into the parts (count at most IOV_MAX) from offset on; *got is fewer than their
// total only at the end of the file. False on a read error (errno set).
bool ReadPartsAt(int fd, std::uint64_t offset, iovec* parts, int count, std::size_t* got);

// Writes every byte. False on a write error (errno set).
bool WriteAll(int fd, const void* data, std::size_t size);

} // namespace kameola
