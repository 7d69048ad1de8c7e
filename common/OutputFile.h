// SPDX-License-Identifier: MIT
// Files the run writes: each appears whole under its final name or not at all, even when
// the process is killed while writing it.
#pragma once

#include "common/FileState.h"
#include "common/Messages.h"
#include "common/PlacedFiles.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// Every function here takes an optional placing: in a run that records what it places,
// an output never replaces a file the run placed for another output (see PlacedFiles).

// Writes the bytes as the file at path, replacing what is there: a symbolic link is
// replaced itself, never followed. With modified, the file has that modification time
// before it takes its name. Raises EFCreateError naming path, also when path holds another
// output of the run.
void WriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                        const timespec* modified = nullptr, const Placing& placing = {});

inline void WriteFileReplacing(const std::string& path, std::string_view bytes,
                               const timespec* modified = nullptr, const Placing& placing = {})
{
    WriteFileReplacing(path, bytes.data(), bytes.size(), modified, placing);
}

inline void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes,
                               const timespec* modified = nullptr, const Placing& placing = {})
{
    WriteFileReplacing(path, bytes.data(), bytes.size(), modified, placing);
}

// Copies a regular file to target when nothing exists there. An existing target (also a
// symbolic link) is never touched. False when nothing was copied; reason, when given,
// then receives the message saying why. between, when given, is called between the
// pieces of a large copy; what it raises stops the copy, leaves no target and goes on.
// A copy this run placed at target counts as an existing file; another output of the run
// there raises EFCreateError naming target.
bool CopyFileNoReplace(const std::string& source, const std::string& target,
                       MessageText* reason = nullptr, const std::function<void()>& between = {},
                       const Placing& placing = {});

// The same from a file already open for reading, from its first byte, whatever its
// offset. A source whose state (see SameContentState) changed while it was copied, or
// since expected was taken when given, or that gave fewer bytes than its size, gives no
// copy. A copy has its source's modification time.
bool CopyFileNoReplace(int sourceFd, const std::string& target, MessageText* reason = nullptr,
                       const std::function<void()>& between = {},
                       const struct stat* expected = nullptr, const Placing& placing = {});

// The same, but an existing target is replaced, whole or not at all (not a file this run
// placed).
bool CopyFileReplacing(int sourceFd, const std::string& target, MessageText* reason = nullptr,
                       const std::function<void()>& between = {},
                       const struct stat* expected = nullptr, const Placing& placing = {});

// The finest difference of modification times the directory's file system keeps, learnt
// from what it stores when times are set on a temporary file there; 1 ns when that cannot
// be learnt (outputs are then judged by exact times).
TimeResolution OutputTimeResolution(const std::string& directory);

// Removes from the directory the temporary files that earlier runs left behind, when
// they were killed while writing: only files that are certainly such leftovers (see
// OutputFile.cpp). Files that a running writer holds stay, and so do the files in keep.
void RemoveStaleTemporaries(const std::string& directory, const std::vector<FileId>& keep = {});

// Whether a file name has the form of this program's temporary files, check code included.
bool IsTemporaryName(std::string_view name);

// The temporary file name with this random part (12 letters or digits) and its check code.
std::string TemporaryFileName(std::string_view random);

} // namespace kameola
