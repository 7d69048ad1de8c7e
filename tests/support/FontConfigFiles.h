// SPDX-License-Identifier: MIT
// fontconfig configurations for tests, written into a scratch folder.
#pragma once

#include <string>

namespace kameola::test {

// A configuration that lists no fonts at all.
std::string WriteConfigWithoutFonts(const std::string& dir);

// A configuration whose one font is the installed IPA P gothic renamed "ＭＳ Ｐゴシック" as it
// is scanned; empty when that font is not installed. Its cache stays in the folder.
std::string WriteConfigWithDefaultFace(const std::string& dir);

} // namespace kameola::test
