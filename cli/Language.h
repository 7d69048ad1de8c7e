// SPDX-License-Identifier: MIT
// kameola-cli in the user's language and character set: its texts through the gettext
// catalogue, converted to the locale's codeset; names put in as their bytes.
#pragma once

#include "common/Messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace kameola {

// A text of kameola-cli: English (the message id) with its Japanese, and for a count its
// English plural.
struct CliText {
    const char* English;
    const char* Japanese;
    const char* EnglishPlural = nullptr;
};

namespace texts {
#define KAMEOLA_TEXT(name, english, japanese) inline constexpr CliText name{english, japanese};
#define KAMEOLA_PLURAL(name, singular, plural, japanese) inline constexpr CliText name{singular, japanese, plural};
#include "cli/CliTexts.def"
#undef KAMEOLA_PLURAL
#undef KAMEOLA_TEXT
} // namespace texts

// Every row of cli/CliTexts.def, in order.
const std::vector<CliText>& AllCliTexts();

// The catalogue's domain.
inline constexpr char kTextDomain[] = "kameola-cli";

// Takes the locale from the environment and finds the catalogue: in a locale/ folder
// beside the executable when there is one (an uninstalled build), else under the install
// prefix. Without a call, every text stays English.
void SetUpLanguage();

// The text in the user's language, UTF-8; for a count, the form that goes with it.
std::string Translate(const char* english);
std::string Translate(const CliText& text, unsigned long count = 1);

// UTF-8 text of the program in the locale's codeset; a character the codeset lacks is "?".
std::string ToLocaleCodeset(std::string_view utf8);

// Whether the locale's codeset is UTF-8.
bool LocaleIsUtf8();

// A name (a path, an argument) as it goes out: its bytes with a CR shown as "\r", and on a
// terminal with every control character, and in a UTF-8 locale every byte that is not
// UTF-8, shown as "?".
std::string NameForOutput(std::string_view name, bool terminal);

// The UTF-8 template in the codeset, then the arguments put in as NameForOutput gives them.
std::string Compose(std::string_view utf8Template, const std::vector<std::string>& args, bool terminal);

// A message of the core in the user's language, its arguments as NameForOutput gives them;
// with fullStop, ending in "." by the windows' rule.
std::string Localized(const MessageText& message, bool terminal, bool fullStop = true);

} // namespace kameola
