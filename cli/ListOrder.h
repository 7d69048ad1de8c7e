// SPDX-License-Identifier: MIT
// The order of the whole list of files, chosen by --sort.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kameola {

enum class SortKey {
    None,  // the order given
    Name,  // version order of the paths, as `ls -v`
    Time,  // the date taken (else the modification time), oldest first, ties by name
};

// "none", "name" or "time"; none for any other word.
std::optional<SortKey> ParseSortKey(std::string_view word);

// Orders the files by the key; the sort is stable.
void SortFiles(std::vector<std::string>& files, SortKey key);

} // namespace kameola
