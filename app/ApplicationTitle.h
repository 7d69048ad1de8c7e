// SPDX-License-Identifier: MIT
// The application title: shown as the caption of error boxes.
#pragma once

#include <QString>

namespace kameola {

// The program file's name without its folder, cut at the first ".", with every character
// after the first in lower case: "/usr/bin/KAMEOLA.EXE" gives "Kameola".
QString ApplicationTitleFor(const QString& programPath);

// The title set at start-up; until then the one of the running program file.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

} // namespace kameola
