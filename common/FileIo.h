// Plain file I/O on a FileHandle: the one way to open a listed file, and whole reads and
// writes that retry interrupted and short transfers.
#pragma once

#include "common/FileHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kameola {

// Opens a file for reading. O_NONBLOCK keeps a named pipe without a writer or a device
// from blocking the caller; anything but a regular file is refused. On failure the handle
// is invalid and errno tells why (EINVAL for a file that is not regular). When info is
// given it receives the file's status.
FileHandle OpenRegularFile(const std::string& path, struct stat* info = nullptr);

// Appends the rest of the file to bytes; the size fstat reports is only a first guess.
// False on a read error (errno set). Raises std::bad_alloc when memory runs out.
bool ReadAll(int fd, std::vector<std::uint8_t>& bytes);

// Reads up to size bytes at offset into buffer; *got is fewer than size only at the end
// of the file. False on a read error (errno set).
bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got);

// Writes every byte. False on a write error (errno set).
bool WriteAll(int fd, const void* data, std::size_t size);

} // namespace kameola
