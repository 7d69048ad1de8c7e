// Lines of the gallery page and writing them in one piece.
#include "gallery/Page.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "gallery/Naming.h"
#include "gallery/TextEncoding.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

} // namespace

void WriteFileReplacing(const std::string& path, std::string_view bytes)
{
    // The temporary file sits beside the target so that the rename stays on one file system.
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "." + name + ".XXXXXX";

    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw EFCreateError(path);
    // mkstemp makes the file private; give it the permissions a newly created file gets.
    mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, bytes.data(), bytes.size());
    ok = (::close(fd) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw EFCreateError(path);
    }
}

} // namespace kameola
