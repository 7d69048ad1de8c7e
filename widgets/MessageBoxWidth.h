// SPDX-License-Identifier: MIT
// Message boxes wide enough for a window manager to show their whole caption.
#pragma once

#include <QString>

class QMessageBox;

namespace kameola {

// At least 220 px, and at least the caption's width in the title-bar font plus 120 px
// for the frame's buttons and margins.
int MessageBoxMinimumWidth(const QString& caption);

// Makes the box keep that width when it lays itself out on showing.
void WidenForCaption(QMessageBox& box);

} // namespace kameola
