// Files the run writes: each appears whole under its final name or not at all, even when
// the process is killed while writing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// Writes the bytes as the file at path, replacing what is there: a symbolic link is
// replaced itself, never followed. Raises EFCreateError naming path.
void WriteFileReplacing(const std::string& path, const void* data, std::size_t size);

inline void WriteFileReplacing(const std::string& path, std::string_view bytes)
{
    WriteFileReplacing(path, bytes.data(), bytes.size());
}

inline void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    WriteFileReplacing(path, bytes.data(), bytes.size());
}

// Copies a regular file to target when nothing exists there. An existing target (also a
// symbolic link) is never touched. False when nothing was copied; reason, when given,
// then receives the message saying why. between, when given, is called between the
// pieces of a large copy; what it raises stops the copy, leaves no target and goes on.
bool CopyFileNoReplace(const std::string& source, const std::string& target,
                       std::string* reason = nullptr, const std::function<void()>& between = {});

// Removes from the directory the temporary files that earlier runs left behind, when
// they were killed while writing. Files that a running writer holds stay.
void RemoveStaleTemporaries(const std::string& directory);

// Whether a file name has the form of this program's temporary files.
bool IsTemporaryName(std::string_view name);

} // namespace kameola
