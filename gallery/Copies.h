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

// Copies a file by the copy rule: never over an existing file, failures only reported to
// the host, which may tell the user but does not stop the run. With an open source the
// copy reads from it, else it opens source. A copy onto another output the run placed
// (placing's record) raises EFCreateError naming target; onto a copy it is skipped.
void CopyByRule(const std::string& source, const std::string& target, RunHost& host,
                RunStats& stats, const FileHandle& opened = FileHandle(-1),
                const Placing& placing = {});

// Under --update: copies by the rule when the target is missing, replaces a stale target
// whole and keeps a current one (see CopyStateOf). A listed file (by the file the target
// names or by the link itself) is never replaced: it is skipped as with the copy rule. So
// is a file the run placed, as by CopyByRule.
void CopyUpdating(const std::string& source, const std::string& target, RunHost& host,
                  RunStats& stats, const std::vector<FileId>& listed,
                  const FileHandle& opened = FileHandle(-1), const Placing& placing = {});

} // namespace kameola
