// SPDX-License-Identifier: MIT
// A folder that folds letter case as FAT, exFAT and SMB folders do, for the calls that put
// output files in place: a name finds an existing file whose name differs only in the case
// of ASCII letters, and a new file keeps the case it was given.
#pragma once

#include "common/FileSystemCalls.h"

#include <string>

namespace kameola::test {

// Folds the names in one folder for as long as it lives; puts the calls back afterwards.
class FoldingNames {
public:
    explicit FoldingNames(const std::string& folder);
    ~FoldingNames();
    FoldingNames(const FoldingNames&) = delete;
    FoldingNames& operator=(const FoldingNames&) = delete;

private:
    detail::FileSystemCalls m_saved;
};

// The name a path finds in a folding folder: the existing file whose name differs only in
// ASCII case, else the path itself.
std::string FoldedPath(const std::string& path);

} // namespace kameola::test
