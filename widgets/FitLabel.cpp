// SPDX-License-Identifier: MIT
// Fitting a label's text into the room before the control to its right.
#include "widgets/FitLabel.h"

#include <QLabel>

#include <algorithm>

namespace kameola {

namespace {

constexpr int kSmallestPixelSize = 6;

int TextWidth(const QLabel& label)
{
    return label.sizeHint().width();
}

} // namespace

void FitLabel(QLabel& label, int rightLimit)
{
    const int right = rightLimit - kLabelGap;
    int width = TextWidth(label);
    if (width > right) {
        // Too wide even from the window's edge: a smaller font, one pixel at a time.
        QFont font = label.font();
        int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
        while (width > right && pixels > kSmallestPixelSize) {
            font.setPixelSize(--pixels);
            label.setFont(font);
            width = TextWidth(label);
        }
    }
    const int left = std::max(0, std::min(label.x(), right - width));
    const int height = std::max(label.height(), label.sizeHint().height());
    label.setGeometry(left, label.y(), std::max(width, std::min(label.width(), right - left)), height);
}

} // namespace kameola
