// SPDX-License-Identifier: MIT
// FILE arguments that name folders, turned into the pictures in them.
#pragma once

#include <string>
#include <vector>

namespace kameola {

struct FolderWalk {
    bool Recursive = false;   // also the subfolders, depth first after the folder's pictures
    bool NameOrder = true;    // a folder's pictures and subfolders in version order, else as listed
    bool StopAtFailure = true;  // the first folder that cannot be read ends the walk
};

// A folder that could not be read, and why (an errno value).
struct FolderFailure {
    std::string Path;
    int Error = 0;
};

struct FolderInput {
    std::vector<std::string> Files;
    std::vector<FolderFailure> Failures;
};

// Each path that names a folder (following a link given here) gives way to the pictures
// in it: regular files, or links to them, whose extension IsPictureName knows, hidden
// names skipped; links to folders are not entered. Every other path is kept as it is, in
// its place, to be opened as a listed file is.
FolderInput ExpandFolders(const std::vector<std::string>& paths, const FolderWalk& walk);

} // namespace kameola
