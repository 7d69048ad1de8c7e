// SPDX-License-Identifier: MIT
// The page's default font face, the same for both front ends.
#pragma once

#include <string>

namespace kameola {

// "ＭＳ Ｐゴシック" when fontconfig lists a font of that family, else empty (no face chosen).
// Reads the fontconfig configuration afresh on each call.
std::string DefaultPageFace();

} // namespace kameola
