// SPDX-License-Identifier: MIT
// The gallery page's markup.
#include "gallery/Page.h"

#include "gallery/Color.h"
#include "gallery/Plan.h"
#include "gallery/TextEncoding.h"

namespace kameola {

namespace {

bool NeedsEncoding(unsigned char c, PathSyntax syntax)
{
    switch (c) {
    case '"': case '#': case '?': case '%': case '&': return true;
    case '\\': case ':': return syntax == PathSyntax::Native;
    default: return c < 0x20 || c == 0x7F;
    }
}

void AppendEncoded(std::string_view text, PathSyntax syntax, bool atStart, std::string& out)
{
    static const char kHex[] = "0123456789ABCDEF";
    out.reserve(out.size() + text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        const bool edgeSpace = c == ' ' && ((atStart && i == 0) || i + 1 == text.size());
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (length == 0 || edgeSpace || NeedsEncoding(c, syntax)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
}

} // namespace

std::string NameAddress(std::string_view name, PathSyntax syntax)
{
    std::string out;
    AppendEncoded(name, syntax, true, out);
    return out;
}

std::string FileAddress(std::string_view path, PathSyntax syntax)
{
    std::string out = "file://";
    if (syntax == PathSyntax::Native) {
        AppendEncoded(path, syntax, false, out);
        return out;
    }
    std::string slashed(path);
    for (char& c : slashed) {
        if (c == '\\')
            c = '/';
    }
    AppendEncoded(slashed, syntax, false, out);
    return out;
}

std::string DecimalText(long long value)
{
    return std::to_string(value);
}

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
    Add("<TABLE COLS=" + DecimalText(job.Columns) + ">");
}

void PageWriter::AddCell(const PlannedEntry& entry, int width, int height)
{
    std::string caption;
    if (m_job.ShowFileNames)
        caption = "<BR>" + entry.BaseName;
    if (m_job.NumberEntries)
        caption += "<BR>#" + DecimalText(m_cells + 1);  // an entry left out is not counted
    if (m_cells % m_columns == 0)
        Add("<TR>");
    Add("<TD><DIV ALIGN=CENTER><A HREF=\"" + entry.Link + "\"><IMG SRC=\"" + entry.Picture +
        "\" WIDTH=" + DecimalText(width) + " HEIGHT=" + DecimalText(height) + " BORDER=0>" +
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
