// Lines of the gallery page.
#include "gallery/Page.h"

#include "gallery/Color.h"
#include "gallery/Naming.h"
#include "gallery/TextEncoding.h"

namespace kameola {

std::string AttributeText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '"': out += "%22"; break;
        case '#': out += "%23"; break;
        case '?': out += "%3F"; break;
        case '%': out += "%25"; break;
        default: out += c;
        }
    }
    return out;
}

void PageLines::AddHead(const GalleryJob& job, const std::string& backgroundAttribute)
{
    const PageStyle& style = job.Style;
    Add("<HTML><HEAD>");
    Add("<TITLE>" + job.Title + "</TITLE>");
    Add("<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    Add("<meta name=\"GENERATOR\" content=\"KAMEOLA.EXE\">");
    Add("</HEAD>");
    Add("<BODY " + backgroundAttribute + "BGCOLOR=#" + ColorToHex(style.BackgroundColor) +
        " TEXT=#" + ColorToHex(style.TextColor) + ">");
    if (style.StyleChanged)
        Add("<FONT FACE=\"" + style.FontFace + "\">");
    Add("<DIV ALIGN=CENTER><BR><H1>" + job.Title +
        "</H1>クリックすると大きい画像が表示されます。<BR><BR><HR>");
    Add("<TABLE COLS=" + DecimalText(job.Columns) + ">");
}

void PageLines::AddCell(const std::string& link, const std::string& imageSource, int width,
                        int height, const std::string& caption)
{
    Add("<TD><DIV ALIGN=CENTER><A HREF=\"" + AttributeText(link) + "\"><IMG SRC=\"" +
        AttributeText(imageSource) + "\" WIDTH=" + DecimalText(width) + " HEIGHT=" +
        DecimalText(height) + " BORDER=0>" + caption + "</A></DIV></TD>");
}

void PageLines::AddTail(const GalleryJob& job)
{
    Add("</TR>");
    Add("</TABLE></DIV>");
    if (job.Style.StyleChanged)
        Add("</FONT>");
    Add("<HR>");
    Add("</BODY>");
    Add("</HTML>");
}

std::string PageLines::Bytes() const
{
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += "\r\n";
    }
    return ToShiftJis(text);
}

} // namespace kameola
