// The gallery page: its lines, built in memory and written once at the end.
#pragma once

#include "gallery/Job.h"

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// Percent-encodes the characters that would end a double-quoted attribute or break a
// link ('"', '#', '?', '%'); everything else is kept as it is.
std::string AttributeText(std::string_view value);

class PageLines {
public:
    // Lines 1 to 9: head, BODY with the background attribute, FONT, heading, TABLE.
    void AddHead(const GalleryJob& job, const std::string& backgroundAttribute);
    // One table cell; link and image source are given unencoded.
    void AddCell(const std::string& link, const std::string& imageSource, int width, int height,
                 const std::string& caption);
    void Add(std::string line) { m_lines.push_back(std::move(line)); }
    void AddTail(const GalleryJob& job);

    const std::vector<std::string>& Lines() const { return m_lines; }
    // The page's bytes: every line in Shift_JIS followed by CR LF.
    std::string Bytes() const;

private:
    std::vector<std::string> m_lines;
};

} // namespace kameola
