// SPDX-License-Identifier: MIT
// Entries for the output files' system-call table (common/FileSystemCalls.h) that fail as
// on a file system, or a system, that lacks what they need.
#pragma once

#include <sys/types.h>

namespace kameola::test {

// OpenUnnamed where unnamed temporary files (O_TMPFILE) are not supported: EOPNOTSUPP.
int NoUnnamed(const char* directory, mode_t mode);

// LinkDescriptor where /proc is not mounted to name an open file by: ENOENT.
int NoProcToLink(int fd, const char* to);

} // namespace kameola::test
