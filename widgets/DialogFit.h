// SPDX-License-Identifier: MIT
// Fitting a file dialog to the screen and its list's columns to their contents.
#pragma once

#include <QSize>

#include <functional>

class QFileDialog;
class QScreen;
class QWidget;

namespace kameola {

// The size a dialog that wants `wanted` opens at on `screen`: inside the screen's available
// area with room left for the window manager's frame.
QSize FitToScreen(QSize wanted, const QScreen* screen);

// Fits the columns of the dialog's detail list whenever a folder is listed and whenever the
// dialog shows: size, type and date as wide as their widest text (and heading), the name
// the rest of the list's width, or its own widest text when that is more.
void FitColumnsWhenListed(QFileDialog& dialog);

// Runs action each time the widget shows, once Qt has finished its own set-up for the
// showing (focus, layout).
void RunOnShow(QWidget& widget, std::function<void()> action);

} // namespace kameola
