// SPDX-License-Identifier: MIT
// What screen readers are told about the program's own widgets: the gauge is a progress
// bar with its value, and a window made of a plain widget is a frame.
#pragma once

class QMetaObject;

namespace kameola {

// Windows of this class (a QWidget subclass) show to screen readers as frames rather than
// as anonymous panes.
void ShowAsFrame(const QMetaObject& windowClass);

// Makes the gauges show as progress bars; TGauge calls it.
void UseAccessibleGauges();

} // namespace kameola
