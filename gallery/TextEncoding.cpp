// SPDX-License-Identifier: MIT
// UTF-8 to CP932. iconv gives each character's CP932 bytes; a character keeps them only when
// they read back as the same character, since CP932 writes some characters as bytes that a
// browser reads as others (¥ as 0x5C, a backslash; 〜 U+301C as 0x8160, read as ～ U+FF5E).
// The answers for every character of the Basic Multilingual Plane are worked out once into a
// table, so converting a page is a lookup per character.
#include "gallery/TextEncoding.h"

#include <array>
#include <iconv.h>
#include <memory>
#include <stdexcept>

namespace kameola {

namespace {

void AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One iconv direction, converting one short piece of text at a time.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Iconv() { iconv_close(m_cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The whole input converted; false when any of it cannot be.
    bool Convert(std::string_view in, std::string& out)
    {
        char inBuf[8];
        char outBuf[16];
        in.copy(inBuf, sizeof inBuf);
        char* inPtr = inBuf;
        char* outPtr = outBuf;
        std::size_t inLeft = in.size();
        std::size_t outLeft = sizeof outBuf;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0 ||
            iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        out.assign(outBuf, static_cast<std::size_t>(outPtr - outBuf));
        return true;
    }

private:
    iconv_t m_cd;
};

// CP932 bytes of each BMP character: one byte b as b, two bytes as lead × 256 + trail
// (the lead is at least 0x81), kNoForm when the character must be written as a reference.
constexpr std::uint16_t kNoForm = 0xFFFF;  // 0xFF never starts a CP932 character
using Cp932Table = std::array<std::uint16_t, 0x10000>;

std::unique_ptr<Cp932Table> BuildTable()
{
    auto table = std::make_unique<Cp932Table>();
    Iconv encode("CP932", "UTF-8");
    Iconv decode("UTF-8", "CP932");
    std::string utf8;
    std::string bytes;
    std::string back;
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        std::uint16_t& entry = (*table)[cp];
        entry = kNoForm;
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        utf8.clear();
        AppendUtf8(cp, utf8);
        if (!encode.Convert(utf8, bytes) || bytes.empty() || bytes.size() > 2 ||
            !decode.Convert(bytes, back) || back != utf8)
            continue;
        auto b0 = static_cast<unsigned char>(bytes[0]);
        entry = bytes.size() == 1 ? b0 : static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(bytes[1]));
    }
    return table;
}

const Cp932Table& Table()
{
    static const std::unique_ptr<Cp932Table> table = BuildTable();
    return *table;
}

void AppendReference(char32_t cp, std::string& out)
{
    out += "&#";
    out += std::to_string(static_cast<unsigned long>(cp));
    out += ';';
}

} // namespace

std::string ToShiftJis(std::string_view utf8)
{
    const Cp932Table& table = Table();
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
        i += len;
        std::uint16_t code = cp < table.size() ? table[cp] : kNoForm;
        if (code == kNoForm) {
            AppendReference(cp, out);
        } else if (code > 0xFF) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else {
            out += static_cast<char>(code);
        }
    }
    return out;
}

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

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    char32_t cp;
    return DecodeUtf8(text, i, cp);
}

} // namespace kameola
