// SPDX-License-Identifier: MIT
// The gallery page: its markup, built in memory and written once at the end.
#pragma once

#include "gallery/Job.h"
#include "gallery/Naming.h"

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

struct PlannedEntry;

// A name in the output folder as a link or picture address (HREF, SRC, BACKGROUND):
// percent-encodes what would end the attribute or change what a browser requests: '"',
// '#', '?', '%', '&', control bytes and DEL, a space at the start or end, and each byte
// that is not part of valid UTF-8 (as that byte, "%E9"). Natively '\' and ':' are encoded
// too; in Windows syntax they are the name's separators and drive colon and stay. Valid
// non-ASCII text stays as it is.
std::string NameAddress(std::string_view name, PathSyntax syntax = PathSyntax::Native);

// "file://" and the path encoded as NameAddress does ("\" written as "/" in Windows
// syntax); the scheme stays.
std::string FileAddress(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// Plain decimal digits with a leading "-" for negative values.
std::string DecimalText(long long value);

class PageWriter {
public:
    // Starts the page with lines 1 to 9: head, BODY (with BACKGROUND when the address is
    // not empty), FONT, heading, TABLE.
    PageWriter(const GalleryJob& job, const std::string& backgroundAddress);

    // One table cell with its caption (name, number), opening and closing rows as the
    // columns fill.
    void AddCell(const PlannedEntry& entry, int width, int height);

    // Ends the page; its bytes: every line in Shift_JIS followed by CR LF.
    std::string Finish();

private:
    void Add(std::string line) { m_lines.push_back(std::move(line)); }

    const GalleryJob& m_job;
    int m_columns;
    int m_cells = 0;
    std::vector<std::string> m_lines;
};

} // namespace kameola
