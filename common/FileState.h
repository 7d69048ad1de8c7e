// SPDX-License-Identifier: MIT
// The state of files: which file a path names, whether two states are of the same file or
// the same content, and whether an output is up to date with its source.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace kameola {

// A file as the run tells files apart: by device and inode, so that a file is the same
// whatever path or link names it; by its path when it cannot be found.
struct FileId {
    bool Found = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    std::string Path;         // only when not found
    std::uintmax_t Size = 0;  // a regular file's size; not part of its identity

    bool operator==(const FileId& other) const
    {
        if (Found != other.Found)
            return false;
        return Found ? Device == other.Device && Inode == other.Inode : Path == other.Path;
    }
};

// The file the path names, following symbolic links; not found for an empty path.
FileId IdentifyFile(const std::string& path);

// Whether two states are of one file (device and inode).
bool SameFile(const struct stat& a, const struct stat& b);

// Whether two states are of one file with the same content: device, inode, size,
// modification time and change time (which a writer cannot set back).
bool SameContentState(const struct stat& a, const struct stat& b);

// The finest difference of modification times a file system keeps (2 s on FAT).
using TimeResolution = std::chrono::nanoseconds;

// The one rule for whether an output is up to date with its source: outputs are given
// their source's modification time when written, so it is when their times are equal to
// the resolution of the output's file system and sizeAsWritten (the output has the byte
// or pixel size this run would give it) holds.
bool UpToDate(const struct stat& output, const struct stat& source, TimeResolution resolution,
              bool sizeAsWritten);

enum class CopyState {
    Missing,  // nothing is under the copy's name
    Stale,    // what is there is not up to date with its source
    Current,  // what is there is up to date: the source's time and byte size
};

// The state of a copy against its source's state. The name itself is judged: a symbolic
// link is never a current copy, and the copy that replaces it replaces the link, never
// what it names.
CopyState CopyStateOf(const std::string& target, const struct stat& source,
                      TimeResolution resolution);

} // namespace kameola
