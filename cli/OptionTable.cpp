// SPDX-License-Identifier: MIT
// The options of kameola-cli.
#include "cli/OptionTable.h"

#include "gallery/Color.h"
#include "gallery/Job.h"
#include "gallery/Run.h"

#include <charconv>

namespace kameola {

namespace {

std::vector<std::string> RangeAndDefault(IntRange range, int fallback)
{
    return {std::to_string(range.Min), std::to_string(range.Max), std::to_string(fallback)};
}

int ParseNumber(const OptionContext& context, const std::string& text, IntRange range)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !range.Contains(value))
        throw UsageError(texts::NumberRange, {context.Name, std::to_string(range.Min), std::to_string(range.Max)});
    return value;
}

// "RRGGBB" as on the page; any colour option gives the page a FONT element.
void SetColor(OptionContext& context, const std::string& text, Color& color)
{
    const std::optional<Color> parsed = ParseHexColor(text);
    if (!parsed)
        throw UsageError(texts::BadColor, {context.Name});
    color = *parsed;
    context.Options.Job.Style.StyleChanged = true;
}

// "000000, black": a default colour as the help shows it, named when it has a plain name.
std::string ColorDefault(Color color)
{
    std::string text = ColorToHex(color);
    if (color == 0x000000)
        text += ", " + Translate(texts::Black);
    else if (color == 0xFFFFFF)
        text += ", " + Translate(texts::White);
    return text;
}

GalleryJob& Job(OptionContext& context) { return context.Options.Job; }

void SetSort(OptionContext& context, const std::string& word)
{
    context.Options.Sort = ParseSortKey(word);
    if (!context.Options.Sort)
        throw UsageError(texts::BadSortKey, {context.Name});
}

const std::vector<CliOption> kTable = {
    {"output", 'o', "DIR", {"Folder the page and its files are written to; it is created when missing. Required.",
     "ページとそのファイルを書き出すフォルダ。ないときは作ります。必須。"}, nullptr,
     [](OptionContext& c, const std::string& v) { Job(c).OutputDir = v, c.OutputGiven = true; }, UsageForm::Required},
    {"page", 0, "NAME", {"File name of the page in the output folder (default: %s).",
     "出力先フォルダの中のページのファイル名 (既定値: %s)。"},
     [] { return std::vector<std::string>{kDefaultPageName}; },
     [](OptionContext& c, const std::string& v) { Job(c).PageName = v; }, UsageForm::Optional},
    {"title", 0, "TEXT", {"Title and heading of the page (default: %s).",
     "ページのタイトルと見出し (既定値: %s)。"},
     [] { return std::vector<std::string>{kDefaultTitle}; },
     [](OptionContext& c, const std::string& v) { Job(c).Title = v; }, UsageForm::Optional},
    {"columns", 0, "N", {"Number of thumbnails in a table row, %s to %s (default: %s).",
     "表の 1 行に並べるサムネイルの数、%s から %s (既定値: %s)。"},
     [] { return RangeAndDefault(kColumnsRange, kDefaultColumns); },
     [](OptionContext& c, const std::string& v) { Job(c).Columns = ParseNumber(c, v, kColumnsRange); },
     UsageForm::Optional},
    {"width", 0, "N", {"Thumbnail width in pixels, %s to %s; the height keeps the picture's proportions (default: %s).",
     "サムネイルの幅 (ピクセル)、%s から %s。高さは画像の縦横比に合わせます (既定値: %s)。"},
     [] { return RangeAndDefault(kThumbWidthRange, kDefaultThumbWidth); },
     [](OptionContext& c, const std::string& v) { Job(c).ThumbWidth = ParseNumber(c, v, kThumbWidthRange); },
     UsageForm::Optional},
    {"small", 0, nullptr, {"Write a reduced JPEG copy of each JPEG and BMP file, at the thumbnail width, and show it as the thumbnail (default: off).",
     "JPEG と BMP のファイルごとにサムネイルの幅の縮小 JPEG を書き出し、サムネイルとして表示します (既定値: オフ)。"},
     nullptr, [](OptionContext& c, const std::string&) { Job(c).MakeSmallImages = true; }, UsageForm::Optional},
    {"small-web", 0, nullptr, {"Also write a reduced JPEG copy of each PNG, WebP, GIF and AVIF file, whether or not --small is given: NAME.png gives NAMEs.png.jpg, upright, transparency over white, an animation's first frame. It shows as the thumbnail at the picture's proportions and links the file itself, copied or in place, so animation and transparency stay there (default: off, such files are shown at 4:3 as other files are).",
     "--small の有無にかかわらず、PNG、WebP、GIF、AVIF のファイルごとにも縮小 JPEG を書き出します: NAME.png から NAMEs.png.jpg を、正立させ、透明部分は白の上に、アニメーションは最初のフレームで。画像の縦横比のサムネイルとして表示し、ファイル自体 (コピーか元の場所) にリンクするので、アニメーションと透明はそちらに残ります (既定値: オフ。そのようなファイルはほかと同じく 4:3 で表示します)。"},
     nullptr, [](OptionContext& c, const std::string&) { Job(c).SmallWebImages = true; }, UsageForm::Optional},
    {"names", 0, nullptr, {"Show each file's name under its thumbnail (default: off).",
     "サムネイルの下にファイル名を表示します (既定値: オフ)。"}, nullptr,
     [](OptionContext& c, const std::string&) { Job(c).ShowFileNames = true; }, UsageForm::Optional},
    {"numbers", 0, nullptr, {"Number the thumbnails #1, #2, ... on the page (default: off).",
     "ページのサムネイルに #1、#2、... と番号を付けます (既定値: オフ)。"}, nullptr,
     [](OptionContext& c, const std::string&) { Job(c).NumberEntries = true; }, UsageForm::Optional},
    {"link", 0, nullptr, {"Link the files where they are, by file:// address, instead of copying them into the output folder (default: off, the files are copied and BMP files converted to JPEG).",
     "ファイルを出力先フォルダにコピーせず、元の場所のまま file:// アドレスでリンクします (既定値: オフ。ファイルはコピーし、BMP ファイルは JPEG に変換します)。"},
     nullptr, [](OptionContext& c, const std::string&) { Job(c).LinkInPlace = true; }, UsageForm::Optional},
    {"font", 0, "FACE", {"Font face of the page's text; any of --font, --text-color and --background-color gives the page a FONT element (default: no FONT element; when only a colour is given, the face ＭＳ Ｐゴシック if it is installed, else an empty face).",
     "ページの文字のフォント。--font、--text-color、--background-color のどれかを指定するとページに FONT 要素が付きます (既定値: FONT 要素なし。色だけを指定したときは、インストールされていれば ＭＳ Ｐゴシック、なければ空のフォント名)。"},
     nullptr,
     [](OptionContext& c, const std::string& v) {
         Job(c).Style.FontFace = v, Job(c).Style.StyleChanged = true, c.FaceGiven = true;
     },
     UsageForm::Optional},
    {"text-color", 0, "RRGGBB", {"Text colour as six hexadecimal digits, red, green, blue (default: %s).",
     "文字の色。赤、緑、青の 16 進数 6 桁 (既定値: %s)。"},
     [] { return std::vector<std::string>{ColorDefault(PageStyle{}.TextColor)}; },
     [](OptionContext& c, const std::string& v) { SetColor(c, v, Job(c).Style.TextColor); }, UsageForm::Optional},
    {"background-color", 0, "RRGGBB", {"Background colour as six hexadecimal digits, red, green, blue (default: %s).",
     "背景の色。赤、緑、青の 16 進数 6 桁 (既定値: %s)。"},
     [] { return std::vector<std::string>{ColorDefault(PageStyle{}.BackgroundColor)}; },
     [](OptionContext& c, const std::string& v) { SetColor(c, v, Job(c).Style.BackgroundColor); },
     UsageForm::Optional},
    {"background-image", 0, "PATH", {"Picture shown behind the page; it is copied into the output folder unless --link is given (default: none).",
     "ページの背景に表示する画像。--link がなければ出力先フォルダにコピーします (既定値: なし)。"},
     nullptr, [](OptionContext& c, const std::string& v) { Job(c).Style.BackgroundImage = v; }, UsageForm::Optional},
    {"jobs", 'j', "N", {"Number of threads that read and shrink pictures, %s to %s; the files written are the same for any number (default: one per CPU the program may use, within its cgroup's CPU quota).",
     "画像を読み込み縮小するスレッドの数、%s から %s。書き出すファイルは数によらず同じです (既定値: プログラムが使える CPU ごとに 1 つ、cgroup の CPU 割り当ての範囲内)。"},
     [] { return std::vector<std::string>{std::to_string(kJobsRange.Min), std::to_string(kJobsRange.Max)}; },
     [](OptionContext& c, const std::string& v) { c.Options.Run.Jobs = ParseNumber(c, v, kJobsRange); },
     UsageForm::Optional},
    {"keep-going", 'k', nullptr, {"Leave a file that fails out of the page, report it and go on with the rest; the exit status is 1 at the end, and when every file fails no page is written (default: off, the first failure stops the run).",
     "失敗したファイルはページから外して報告し、残りを続けます。終了ステータスは最後に 1 になり、すべてのファイルが失敗したときはページを書き出しません (既定値: オフ。最初の失敗で実行を止めます)。"},
     nullptr, [](OptionContext& c, const std::string&) { c.Options.Run.KeepGoing = true; }, UsageForm::Optional},
    {"update", 'u', nullptr, {"Redo only what changed. Every output made from a FILE (copy, conversion, small image) gets the FILE's modification time; an output already in the output folder is kept when its time equals its FILE's (as finely as the folder's file system keeps times: 2 s on FAT) and it has the size this run would write: a copy the FILE's bytes, a small image or BMP conversion the pixel size its JPEG header shows (a small image also the FILE's progressive or baseline form). Any other output is written again, a copy replaced whole, so a FILE put back by an older one is redone; everything else is done as without --update and the page is always written. A file whose outputs are all kept is not decoded, only its header is read, so a damaged stream whose outputs are up to date goes unnoticed (default: off).",
     "変わったものだけをやり直します: FILE から作る出力 (コピー、変換、縮小画像) には FILE の更新時刻を付けます。出力先フォルダにある出力は、時刻が FILE と等しく (フォルダのファイルシステムが保つ細かさで。FAT では 2 秒)、この実行で書き出すサイズ (コピーでは FILE のバイト数、縮小画像や BMP の変換では JPEG ヘッダの画素数、縮小画像では FILE のプログレッシブかベースラインかも) のときはそのままにします。ほかの出力は書き直し、コピーは丸ごと置き換えるので、古いファイルで戻した FILE もやり直します。ほかは --update なしと同じで、ページは必ず書き出します。出力がすべてそのままのファイルはデコードせずヘッダだけを読むので、出力が最新の壊れたストリームには気付きません (既定値: オフ)。"},
     nullptr, [](OptionContext& c, const std::string&) { c.Options.Run.Update = true; }, UsageForm::Optional},
    {"quiet", 'q', nullptr, {"Print errors only: no progress bar, no summary, no warning about a copy skipped because its target exists (default: off).",
     "エラーだけを表示します: 進捗バー、結果の行、コピー先が既にあるためのコピー省略の警告は出しません (既定値: オフ)。"},
     nullptr, [](OptionContext& c, const std::string&) { c.Options.Quiet = true; }, UsageForm::Optional},
    {"recursive", 'r', nullptr, {"Also take the pictures in the subfolders of a folder given as a FILE: a folder's pictures first, then each subfolder in the same way, depth first; links to folders are not entered (default: off).",
     "FILE に指定したフォルダのサブフォルダの画像も取ります: フォルダの画像が先、続いて各サブフォルダを同じように、深さ優先で。フォルダへのリンクには入りません (既定値: オフ)。"},
     nullptr, [](OptionContext& c, const std::string&) { c.Options.Recursive = true; }, UsageForm::Optional},
    {"sort", 0, "KEY", {"Order the whole list of files by KEY: name in version order of their paths, as ls -v sorts; time by the date each photo was taken (the Exif DateTimeOriginal of a JPEG, HEIF or TIFF file, else the modification time), oldest first, ties by name; none in the order given, a folder's files as the folder lists them (default: files named one by one keep their order, each folder's pictures come in version order of their names).",
     "ファイルの一覧全体を KEY の順に並べます: name はパスのバージョン順 (ls -v と同じ)、time は撮影日時 (JPEG、HEIF、TIFF ファイルの Exif DateTimeOriginal、なければ更新日時) の古い順で同じなら名前順、none は指定の順でフォルダのファイルはフォルダの並び順 (既定値: 1 つずつ指定したファイルはその順、各フォルダの画像は名前のバージョン順)。"},
     nullptr, SetSort, UsageForm::Optional},
    {"files-from", 0, "LIST", {"Also read FILEs from LIST, one path a line, after those given as arguments; - reads standard input. A CR before the newline is part of the name; a name holding a newline must be given as a FILE argument (default: none).",
     "引数の FILE の後に、LIST から 1 行に 1 つのパスで FILE を読み込みます。- は標準入力を読みます。改行の前の CR は名前の一部です。改行を含む名前は FILE 引数で指定してください (既定値: なし)。"},
     nullptr, [](OptionContext& c, const std::string& v) { c.Lists.push_back(v); }, UsageForm::Optional},
    {"help", 'h', nullptr, {"Print this help and exit.",
     "このヘルプを表示して終了します。"}, nullptr,
     [](OptionContext& c, const std::string&) { c.Options.Help = true; }, UsageForm::Alone},
    {"version", 'V', nullptr, {"Print the program's version and exit.",
     "プログラムのバージョンを表示して終了します。"}, nullptr,
     [](OptionContext& c, const std::string&) { c.Options.Version = true; }, UsageForm::Alone},
    {"", 0, nullptr, {"Take every argument after it as a FILE, also one that begins with a dash.",
     "これより後の引数は、ダッシュで始まるものもすべて FILE とします。"}, nullptr, nullptr,
     UsageForm::Hidden},
};

} // namespace

const std::vector<CliOption>& CliOptionTable() { return kTable; }

} // namespace kameola
