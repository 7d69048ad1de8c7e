// SPDX-License-Identifier: MIT
// The one conversion between the windows' Qt strings and the file system's path bytes.
#pragma once

#include <QString>

#include <string>

namespace kameola {

// The bytes of a path typed or chosen in a window (UTF-8).
std::string PathFromText(const QString& text);

// A path as the windows show it: bytes that are not UTF-8 become U+FFFD.
QString TextFromPath(const std::string& path);

} // namespace kameola
