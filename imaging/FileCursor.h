// SPDX-License-Identifier: MIT
// A read position over an open file, read with pread so the file's own offset stays: what
// the libraries' read and seek callbacks work on.
#pragma once

#include "common/FileIo.h"

#include <cstddef>
#include <cstdint>
#include <sys/stat.h>

namespace kameola {

struct FileCursor {
    int Fd = -1;
    std::uint64_t Size = 0;
    std::uint64_t Position = 0;

    // The cursor at the start of the file; false when its size cannot be had.
    bool Open(int fd)
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || info.st_size < 0)
            return false;
        Fd = fd;
        Size = static_cast<std::uint64_t>(info.st_size);
        Position = 0;
        return true;
    }
    // Reads up to size bytes at the position and moves past them; the bytes read.
    std::size_t Read(void* buffer, std::size_t size)
    {
        std::size_t got = 0;
        if (!ReadAt(Fd, Position, buffer, size, &got))
            return 0;
        Position += got;
        return got;
    }
};

} // namespace kameola
