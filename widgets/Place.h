// SPDX-License-Identifier: MIT
// Place: names a control and puts it at its position in its window.
#pragma once

#include <QString>

namespace kameola {

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace kameola
