// SPDX-License-Identifier: MIT
// The system calls that put an output file in place, in one table so that tests can take
// away what some file systems lack: unnamed temporary files, RENAME_NOREPLACE, hard links,
// or make a close fail as on a network file system, or a source change while it is copied,
// or count the flushes, or keep modification times as coarsely as FAT does, or fold names
// together as case-insensitive file systems do.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace kameola::detail {

struct FileSystemCalls {
    // Opens an unnamed file for writing in a directory (O_TMPFILE); -1 with errno.
    int (*OpenUnnamed)(const char* directory, mode_t mode);
    // Gives an open unnamed file a name; fails with EEXIST when the name is taken.
    int (*LinkDescriptor)(int fd, const char* to);
    // renameat2 with RENAME_NOREPLACE.
    int (*RenameNoReplace)(const char* from, const char* to);
    // A second name for a file (link).
    int (*Link)(const char* from, const char* to);
    // close: reports delayed write errors of some file systems.
    int (*Close)(int fd);
    // fstat of a copy's source, before and after the copy.
    int (*Fstat)(int fd, struct stat* info);
    // fdatasync of a file that is to replace another.
    int (*DataSync)(int fd);
    // futimens of an output before it is put in place.
    int (*SetTimes)(int fd, const timespec times[2]);
    // rename, replacing what is at to.
    int (*Rename)(const char* from, const char* to);
    // lstat of an output's name: what is there now.
    int (*Lstat)(const char* path, struct stat* info);
    // unlink of an output that is taken back.
    int (*Unlink)(const char* path);
};

// The table the output files use. Tests replace entries and put them back.
FileSystemCalls& OutputFileCalls();

} // namespace kameola::detail
