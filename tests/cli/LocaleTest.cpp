// SPDX-License-Identifier: MIT
// kameola-cli speaks the locale's language in the locale's codeset: the same run under
// Japanese (UTF-8, Shift_JIS, EUC-JP), C and English locales built into a private LOCPATH.
#include "common/MessageFormat.h"
#include "common/Messages.h"
#include "cli/Language.h"
#include "tests/gallery/TestFiles.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/wait.h>

using namespace kameola;

namespace {

// UTF-8 text in another codeset, for the bytes a locale should print.
std::string Encoded(const std::string& utf8, const char* codeset)
{
    const iconv_t cd = ::iconv_open(codeset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "(no " + std::string(codeset) + ")";
    std::string out(utf8.size() * 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    ::iconv(cd, &in, &inLeft, &to, &toLeft);
    ::iconv_close(cd);
    out.resize(out.size() - toLeft);
    return out;
}

// Why the test locales are missing; empty when they were built.
std::string MissingLocales()
{
    std::ifstream missing(KAMEOLA_TEST_LOCALES "/missing");
    std::string reason;
    std::getline(missing, reason);
    return reason;
}

// Standard error of kameola-cli run with args under the locale.
std::string ErrorsUnder(const std::string& locale, const std::string& args, const test::ScratchDir& dir)
{
    const std::string err = dir / "err";
    const std::string cmd = "LOCPATH=" KAMEOLA_TEST_LOCALES " LC_ALL=" + locale + " LANGUAGE= LANG= " KAMEOLA_CLI " " +
                            args + " >/dev/null 2>'" + err + "' </dev/null";
    [[maybe_unused]] const int ignored = std::system(cmd.c_str());
    return test::ReadFile(err);
}

struct LocaleCase {
    const char* Locale;
    const char* Codeset;  // what the bytes should decode as
    bool Japanese;
};

} // namespace

TEST(CliLocale, LanguageAndBytesFollowTheLocale)
{
    if (const std::string reason = MissingLocales(); !reason.empty())
        GTEST_SKIP() << reason;
    test::ScratchDir dir;
    // A name that is not text in any of the codesets goes out as its bytes.
    const std::string missing = dir / "\xE5\x86\x99\xFF.jpg";
    const LocaleCase cases[] = {
        {"ja_JP.UTF-8", "UTF-8", true},
        {"ja_JP.SJIS", "SHIFT_JIS", true},
        {"ja_JP.eucJP", "EUC-JP", true},
        {"C", "ASCII", false},
        {"en_US.UTF-8", "UTF-8", false},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.Locale);
        const std::string usage = ErrorsUnder(c.Locale, "-o out --columns 0 a.jpg", dir);
        const std::string open = ErrorsUnder(c.Locale, "-o '" + (dir / "out") + "' '" + missing + "'", dir);
        const std::string utf8Usage =
            c.Japanese ? "kameola-cli: --columns は 1 から 100 の数でなければなりません\n"
                         "詳しくは 'kameola-cli --help' を実行してください。\n"
                       : "kameola-cli: --columns must be a number from 1 to 100\n"
                         "Try 'kameola-cli --help' for more information.\n";
        EXPECT_EQ(usage, Encoded(utf8Usage, c.Codeset));
        const std::string utf8Open = c.Japanese ? "kameola-cli: %1$s: ファイル %1$s は開けません.\n"
                                                : "kameola-cli: %1$s: cannot open file %1$s.\n";
        EXPECT_EQ(open, FormatMessage(Encoded(utf8Open, c.Codeset), {missing}));
    }
}

// Text the codeset lacks is "?"; the page's default title in the help shows how.
TEST(CliLocale, CharactersTheCodesetLacksAreQuestionMarks)
{
    if (const std::string reason = MissingLocales(); !reason.empty())
        GTEST_SKIP() << reason;
    test::ScratchDir dir;
    const std::string cmd = "LOCPATH=" KAMEOLA_TEST_LOCALES " LANGUAGE= LC_ALL=";
    const auto help = [&](const std::string& locale) {
        const std::string out = dir / "help";
        [[maybe_unused]] const int ignored = std::system((cmd + locale + " " KAMEOLA_CLI " --help >'" + out + "'").c_str());
        return test::ReadFile(out);
    };
    EXPECT_NE(help("C").find("(default: \?\?\?\?)"), std::string::npos);
    EXPECT_NE(help("ja_JP.SJIS").find(Encoded("(既定値: 画像一覧)", "SHIFT_JIS")), std::string::npos);
    EXPECT_EQ(help("ja_JP.eucJP").rfind(Encoded("使い方: kameola-cli -o DIR", "EUC-JP"), 0), 0u);
}

// Every message and text has a Japanese and an English, with the same arguments.
TEST(CliLocale, EveryTextHasBothLanguages)
{
    const auto placeholders = [](const char* text) {
        std::string found;
        for (const char* at = text; *at; ++at)
            if (*at == '%' && at[1])
                found += *++at;
        return found;
    };
    for (const Bilingual& row : AllMessages()) {
        EXPECT_TRUE(*row.English && *row.Japanese) << row.English;
        EXPECT_EQ(placeholders(row.English), placeholders(row.Japanese)) << row.English;
    }
    for (const CliText& text : AllCliTexts()) {
        EXPECT_TRUE(*text.English && *text.Japanese) << text.English;
        EXPECT_EQ(placeholders(text.English), placeholders(text.Japanese)) << text.English;
    }
}

TEST(MessageFormat, PlaceholdersInOrderByNumberAndEscaped)
{
    struct Case {
        const char* Template;
        std::vector<std::string> Args;
        const char* Expected;
    };
    const Case cases[] = {
        {"%d から %d", {"1", "100"}, "1 から 100"},
        {"%2$s %1$s", {"a", "b"}, "b a"},
        {"100%% %s", {"x"}, "100% x"},
        {"%s and %s", {"only"}, "only and "},      // a missing argument is left out
        {"%s", {"%d %s"}, "%d %s"},                // arguments are not read again
        {"50% off, %x", {}, "50% off, %x"},        // any other % stays
        {"end %", {}, "end %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMessage(c.Template, c.Args), c.Expected) << c.Template;
}
