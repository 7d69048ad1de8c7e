// SPDX-License-Identifier: MIT
// The gallery page's markup.
#include "gallery/Page.h"

#include "gallery/Color.h"
#include "gallery/Plan.h"
#include "gallery/TextEncoding.h"

#include <string>

namespace kameola {

PageWriter::PageWriter(const GalleryJob& job, const std::string& backgroundAddress)
    : m_job(job), m_columns(job.Columns > 0 ? job.Columns : 1)  // the windows keep 1..100
{
    const PageStyle& style = job.Style;
    const std::string background =
        backgroundAddress.empty() ? "" : " BACKGROUND=\"" + backgroundAddress + "\"";
    Add("<HTML><HEAD>");
    Add("<TITLE>" + job.Title + "</TITLE>");
    Add("<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    Add("<meta name=\"GENERATOR\" content=\"KAMEOLA.EXE\">");
    Add("</HEAD>");
    Add("<BODY " + background + "BGCOLOR=#" + ColorToHex(style.BackgroundColor) +
        " TEXT=#" + ColorToHex(style.TextColor) + ">");
    if (style.StyleChanged)
        Add("<FONT FACE=\"" + style.FontFace + "\">");
    Add("<DIV ALIGN=CENTER><BR><H1>" + job.Title +
        "</H1>クリックすると大きい画像が表示されます。<BR><BR><HR>");
    Add("<TABLE COLS=" + std::to_string(job.Columns) + ">");
}

void PageWriter::AddCell(const PlannedEntry& entry, int width, int height)
{
    std::string caption;
    if (m_job.ShowFileNames)
        caption = "<BR>" + entry.BaseName;
    if (m_job.NumberEntries)
        caption += "<BR>#" + std::to_string(m_cells + 1);  // an entry left out is not counted
    if (m_cells % m_columns == 0)
        Add("<TR>");
    Add("<TD><DIV ALIGN=CENTER><A HREF=\"" + entry.Link + "\"><IMG SRC=\"" + entry.Picture +
        "\" WIDTH=" + std::to_string(width) + " HEIGHT=" + std::to_string(height) + " BORDER=0>" +
        caption + "</A></DIV></TD>");
    ++m_cells;
    if (m_cells % m_columns == 0)
        Add("</TR>");
}

std::string PageWriter::Finish()
{
    Add("</TR>");
    Add("</TABLE></DIV>");
    if (m_job.Style.StyleChanged)
        Add("</FONT>");
    Add("<HR>");
    Add("</BODY>");
    Add("</HTML>");
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += "\r\n";
    }
    return ToShiftJis(text);
}

} // namespace kameola
