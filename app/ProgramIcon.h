// SPDX-License-Identifier: MIT
// The program's icon for its windows.
#pragma once

#include <QIcon>

namespace kameola {

inline constexpr char kIconName[] = "io.github.kameola.Kameola";

// The icon theme's when installed, else the copy built into the program.
QIcon ProgramIcon();

// The copy built into the program, in every size it has.
QIcon BuiltInProgramIcon();

} // namespace kameola
