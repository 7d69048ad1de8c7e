// SPDX-License-Identifier: MIT
// The windows' own font and the list of Japanese typefaces offered for the page.
#pragma once

#include <QFont>
#include <QStringList>

namespace kameola {

// The face the windows ask for; rarely installed on Linux, hence the substitution below.
inline constexpr const char* kWindowFaceName = "ＭＳ Ｐゴシック";

// Maps the windows' face onto installed proportional Japanese gothics, so labels render
// in a Japanese face. Call once after the QApplication exists; repeated calls are harmless.
void RegisterWindowFontSubstitution();

// The windows' font: kWindowFaceName at 12 pixels.
QFont WindowFont();

// Keeps the Japanese faces of a family list, in its order: drops vertical-writing faces
// (names beginning with "@") and the Chinese and Korean members of pan-CJK families.
QStringList FilterJapaneseTypefaces(const QStringList& families);

// The installed typefaces for the Japanese writing system, filtered as above.
QStringList JapaneseTypefaces();

} // namespace kameola
