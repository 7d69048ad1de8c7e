// SPDX-License-Identifier: MIT
// The gallery page: its markup, built in memory and written once at the end.
#pragma once

#include "gallery/Job.h"

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

struct PlannedEntry;

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
