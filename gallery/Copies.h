// SPDX-License-Identifier: MIT
// The run's copies of listed files: by the copy rule, and under --update.
#pragma once

#include "common/FileHandle.h"
#include "common/FileState.h"
#include "common/PlacedFiles.h"
#include "gallery/RunHost.h"

#include <string>
#include <vector>

namespace kameola {

// Where a copy reads from: with an open file the copy reads from it, else it opens the
// source's path. With prepared (the open file's state when the entry was prepared), a
// file changed since then is not copied: the copy would not be of the file that was read.
struct CopySource {
    const std::string& Path;
    const FileHandle& Opened;
    const struct stat* Prepared = nullptr;
};

// Copies a file by the copy rule: never over an existing file, failures only reported to
// the host, which may tell the user but does not stop the run. A copy onto another output
// the run placed (placing's record) raises EFCreateError naming target; onto a copy it is
// skipped.
void CopyByRule(const CopySource& source, const std::string& target, RunHost& host,
                RunStats& stats, const Placing& placing = {});

// Under --update: copies by the rule when the target is missing, replaces a stale target
// whole and keeps a current one (see CopyStateOf, with the output folder's time
// resolution). A listed file (by the file the target names or by the link itself) is
// never replaced: it is skipped as with the copy rule. So is a file the run placed, as by
// CopyByRule.
void CopyUpdating(const CopySource& source, const std::string& target, RunHost& host,
                  RunStats& stats, const std::vector<FileId>& listed, TimeResolution resolution,
                  const Placing& placing = {});

} // namespace kameola
