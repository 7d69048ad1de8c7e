// SPDX-License-Identifier: MIT
// Writes the Japanese catalogue of kameola-cli (a .po file) from the tables in the code:
// the core's messages, the program's own texts and the option help.
#include "common/Messages.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"

#include <cstdio>
#include <set>
#include <string>
#include <string_view>

using namespace kameola;

namespace {

// A C string literal as a .po file writes it.
std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

void Entry(const char* english, const char* plural, const char* japanese, std::set<std::string>& done)
{
    if (!done.insert(english).second)
        return;  // one entry per message id
    if (std::string_view(english).find('%') != std::string_view::npos)
        std::printf("#, c-format\n");
    std::printf("msgid %s\n", Quoted(english).c_str());
    if (plural)
        std::printf("msgid_plural %s\nmsgstr[0] %s\n\n", Quoted(plural).c_str(), Quoted(japanese).c_str());
    else
        std::printf("msgstr %s\n\n", Quoted(japanese).c_str());
}

} // namespace

int main()
{
    std::printf("msgid \"\"\nmsgstr \"\"\n"
                "\"Project-Id-Version: kameola-cli\\n\"\n"
                "\"Language: ja\\n\"\n"
                "\"MIME-Version: 1.0\\n\"\n"
                "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                "\"Content-Transfer-Encoding: 8bit\\n\"\n"
                "\"Plural-Forms: nplurals=1; plural=0;\\n\"\n\n");
    std::set<std::string> done;
    for (const Bilingual& row : AllMessages())
        Entry(row.English, nullptr, row.Japanese, done);
    for (const CliText& text : AllCliTexts())
        Entry(text.English, text.EnglishPlural, text.Japanese, done);
    for (const CliOption& option : CliOptionTable())
        Entry(option.Help.English, nullptr, option.Help.Japanese, done);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
