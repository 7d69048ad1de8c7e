// UTF-8 to CP932 through iconv, one character at a time so that a character without a
// CP932 form can be replaced by a numeric character reference.
#include "gallery/TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace kameola {

namespace {

// Length of the valid UTF-8 sequence at s[i], with its code point; 0 when invalid.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) { cp = b0; return 1; }
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

class Converter {
public:
    Converter() : m_cd(iconv_open("CP932", "UTF-8"))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the CP932 form of one UTF-8 character; false when it has none.
    bool Append(std::string_view character, std::string& out)
    {
        char in[4];
        char buf[8];
        character.copy(in, character.size());
        char* inPtr = in;
        char* outPtr = buf;
        std::size_t inLeft = character.size();
        std::size_t outLeft = sizeof buf;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return false;
        out.append(buf, static_cast<std::size_t>(outPtr - buf));
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

std::string ToShiftJis(std::string_view utf8)
{
    Converter converter;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            out += "&#65533;";
            ++i;
            continue;
        }
        if (len == 1) {
            out += utf8[i];
        } else if (!converter.Append(utf8.substr(i, len), out)) {
            out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
        }
        i += len;
    }
    return out;
}

} // namespace kameola
