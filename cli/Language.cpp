// SPDX-License-Identifier: MIT
// kameola-cli in the user's language and character set.
#include "cli/Language.h"

#include "common/Errors.h"
#include "common/MessageFormat.h"
#include "gallery/TextEncoding.h"
#include "cli/Terminal.h"

#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <libintl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

namespace {

// The folder of the running program; empty when it cannot be told.
std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    const std::string exe(path, static_cast<std::size_t>(length));
    return exe.substr(0, exe.rfind('/'));
}

// One character converted by cd, or "?" when the codeset lacks it.
void AppendConverted(iconv_t cd, std::string_view character, std::string& out)
{
    char buffer[16];
    char* in = const_cast<char*>(character.data());
    std::size_t inLeft = character.size();
    char* to = buffer;
    std::size_t toLeft = sizeof buffer;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (::iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1) ||
        ::iconv(cd, nullptr, nullptr, &to, &toLeft) == static_cast<std::size_t>(-1))
        out += '?';
    else
        out.append(buffer, static_cast<std::size_t>(to - buffer));
}

} // namespace

const std::vector<CliText>& AllCliTexts()
{
    static const std::vector<CliText> table = {
#define KAMEOLA_TEXT(name, english, japanese) texts::name,
#define KAMEOLA_PLURAL(name, singular, plural, japanese) texts::name,
#include "cli/CliTexts.def"
#undef KAMEOLA_PLURAL
#undef KAMEOLA_TEXT
    };
    return table;
}

void SetUpLanguage()
{
    std::setlocale(LC_ALL, "");
    const std::string beside = ExecutableFolder() + "/locale";
    struct stat info {};
    const bool built = !ExecutableFolder().empty() && ::stat(beside.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    ::bindtextdomain(kTextDomain, built ? beside.c_str() : KAMEOLA_LOCALEDIR);
    // Translations come as UTF-8 and are converted here, where "?" stands for what the
    // codeset lacks.
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
}

std::string Translate(const char* english) { return ::dgettext(kTextDomain, english); }

std::string Translate(const CliText& text, unsigned long count)
{
    if (text.EnglishPlural)
        return ::dngettext(kTextDomain, text.English, text.EnglishPlural, count);
    return Translate(text.English);
}

bool LocaleIsUtf8() { return std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0; }

std::string ToLocaleCodeset(std::string_view utf8)
{
    if (LocaleIsUtf8())
        return std::string(utf8);
    const iconv_t cd = ::iconv_open(::nl_langinfo(CODESET), "UTF-8");
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8SequenceLength(utf8, at);
        if (length == 0 || cd == reinterpret_cast<iconv_t>(-1))
            out += utf8[at] & 0x80 ? '?' : utf8[at];
        else
            AppendConverted(cd, utf8.substr(at, length), out);
        at += length == 0 ? 1 : length;
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        ::iconv_close(cd);
    return out;
}

std::string NameForOutput(std::string_view name, bool terminal)
{
    // A CR, such as one left at the end of a name from a list written on Windows, would
    // take the cursor back over the line: it shows as "\r".
    std::string out;
    out.reserve(name.size());
    for (char c : name)
        out += c == '\r' ? std::string("\\r") : std::string(1, c);
    if (!terminal)
        return out;
    if (LocaleIsUtf8())
        return HarmlessText(out);
    // Bytes of another codeset: only the C0 controls and DEL can drive the terminal there.
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

std::string Compose(std::string_view utf8Template, const std::vector<std::string>& args, bool terminal)
{
    std::vector<std::string> shown;
    shown.reserve(args.size());
    for (const std::string& arg : args)
        shown.push_back(NameForOutput(arg, terminal));
    return FormatMessage(ToLocaleCodeset(utf8Template), shown);
}

std::string Localized(const MessageText& message, bool terminal, bool fullStop)
{
    const std::string text = Translate(TextsOf(message.Id).English);
    const std::string utf8 = FormatMessage(text, message.Args);
    const bool stop = fullStop && WithFullStop(utf8).size() > utf8.size();
    return Compose(text, message.Args, terminal) + (stop ? "." : "");
}

} // namespace kameola
