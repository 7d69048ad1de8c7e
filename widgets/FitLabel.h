// SPDX-License-Identifier: MIT
// Fitting a label's text into the room before the control to its right.
#pragma once

class QLabel;

namespace kameola {

// The least room between a label and the control to its right.
inline constexpr int kLabelGap = 4;

// Makes label show its whole text, ending at least kLabelGap pixels before rightLimit
// (the left edge of the control to its right, or the window's width). The label keeps its
// top and left; a text too wide for that moves the label to the left, never past the
// window's edge, and only when that is not enough is its font made smaller.
void FitLabel(QLabel& label, int rightLimit);

} // namespace kameola
