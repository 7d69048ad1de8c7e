// SPDX-License-Identifier: MIT
// The usage lines, --help and --version of kameola-cli.
#include "cli/Help.h"

#include "common/MessageFormat.h"
#include "gallery/Formats.h"
#include "gallery/TextEncoding.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "cli/Terminal.h"

#include <string_view>
#include <vector>

namespace kameola {

namespace {

const char* const kProgram = "kameola-cli";

// A piece of text that is never split: a word, or one wide character; Space when a space
// comes before it (otherwise a line may still break there, as between Japanese characters).
struct Piece {
    std::string Text;
    bool Space;
};

bool IsWide(std::string_view character) { return DisplayWidth(character) > 1; }

// Brackets that must not end a line.
bool OpensLine(std::string_view character) { return character == "(" || character == "（" || character == "「"; }

// Punctuation that must not begin a line.
bool ClosesLine(std::string_view character)
{
    for (const char* mark : {"、", "。", "）", "」", "：", ")", ",", "."})
        if (character == mark)
            return true;
    return false;
}

std::vector<Piece> Pieces(std::string_view text)
{
    std::vector<Piece> pieces;
    bool space = false;
    bool joinNext = false;  // the previous character was wide: the next one starts a piece
    bool opened = false;    // the previous character was an opening bracket: kept with this one
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text, at), 1);
        const std::string_view character = text.substr(at, length);
        at += length;
        if (character == " ") {
            space = true;
            continue;
        }
        const bool wide = IsWide(character);
        if (pieces.empty() || (!opened && (space || ((wide || joinNext) && !ClosesLine(character)))))
            pieces.push_back({"", space && !pieces.empty()});
        pieces.back().Text.append(character);
        space = false;
        joinNext = wide;
        opened = OpensLine(character);
    }
    return pieces;
}

// Appends the text wrapped at width columns, the first line indented by firstIndent and
// the others by indent.
void AppendWrapped(std::string& out, std::string_view text, int firstIndent, int indent, int width)
{
    int used = -1;  // columns on the current line; -1 before the first piece
    for (const Piece& piece : Pieces(text)) {
        const int pieceWidth = DisplayWidth(piece.Text);
        const int gap = piece.Space ? 1 : 0;
        if (used < 0 || used + gap + pieceWidth > width) {
            if (used >= 0)
                out += '\n';
            used = used < 0 ? firstIndent : indent;
            out.append(static_cast<std::size_t>(used), ' ');
        } else if (gap) {
            out += ' ';
            ++used;
        }
        out += piece.Text;
        used += pieceWidth;
    }
    out += '\n';
}

// "-o, --output DIR", "--page NAME", "--".
std::string Heading(const CliOption& o)
{
    std::string heading;
    if (o.Short != 0)
        heading = std::string("-") + o.Short + ", ";
    heading += std::string("--") + o.Long;
    if (o.Argument)
        heading += std::string(" ") + o.Argument;
    return heading;
}

// The usage lines in UTF-8.
std::string Usage()
{
    const std::string word = Translate(texts::Usage);
    std::string line = word + " " + kProgram;
    std::string alone;
    for (const CliOption& o : CliOptionTable()) {
        if (o.Usage == UsageForm::Required)
            line += std::string(" -") + o.Short + "\u00A0" + o.Argument;
        else if (o.Usage == UsageForm::Optional)
            line += " [--" + std::string(o.Long) + (o.Argument ? std::string("\u00A0") + o.Argument : "") + "]";
        else if (o.Usage == UsageForm::Alone)
            alone += (alone.empty() ? "--" : " | --") + std::string(o.Long);
    }
    line += " [FILE...]";
    // The lines after the first start under the first option.
    const int margin = DisplayWidth(word) + 1;
    std::string text;
    AppendWrapped(text, line, 0, margin + DisplayWidth(kProgram) + 1, 78);
    // A no-break space keeps an option with its value; it is a plain space when shown.
    for (std::size_t at; (at = text.find("\u00A0")) != std::string::npos;)
        text.replace(at, 2, " ");
    return text + std::string(static_cast<std::size_t>(margin), ' ') + kProgram + " " + alone + "\n";
}

} // namespace

std::string UsageText() { return ToLocaleCodeset(Usage()); }

std::string TryHelpText() { return Compose(Translate(texts::TryHelp), {kProgram}, false); }

std::string HelpText()
{
    std::string text = Usage() + "\n";
    AppendWrapped(text, Translate(texts::About), 0, 0, 79);
    text += "\n" + Translate(texts::OptionsHeading) + "\n";
    for (const CliOption& option : CliOptionTable()) {
        text += "  " + Heading(option) + "\n";
        const std::vector<std::string> args = option.Defaults ? option.Defaults() : std::vector<std::string>{};
        AppendWrapped(text, FormatMessage(Translate(option.Help), args), 6, 6, 79);
    }
    std::string extensions;
    for (std::string_view extension : PictureExtensions())
        (extensions += extensions.empty() ? "" : " ") += extension;
    for (const CliText& paragraph : {texts::Folders, texts::Converted, texts::SameNames, texts::Messages, texts::ExitStatus}) {
        text += '\n';
        AppendWrapped(text, FormatMessage(Translate(paragraph), {extensions}), 0, 0, 79);
    }
    return ToLocaleCodeset(text);
}

std::string VersionText(const std::string& version)
{
    return ToLocaleCodeset(std::string(kProgram) + " " + version + "\n" + Translate(texts::Copyright) + "\n" +
                           Translate(texts::Licence) + "\n");
}

} // namespace kameola
