// SPDX-License-Identifier: MIT
// The option list's look: check boxes that fit its 13-pixel rows whole and apart.
#pragma once

#include <QProxyStyle>

namespace kameola {

// Check boxes of 11 pixels inside rows of 13, so that each box keeps its border on all
// four sides and a gap to the next one; the rest comes from the application's style.
class OptionListStyle : public QProxyStyle {
public:
    static constexpr int kRowHeight = 13;
    static constexpr int kBoxSide = 11;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    // A check box gets a border in the text colour, so that an unchecked one stays in sight
    // whatever the background (a dark style sheet's border may be as dark as its ground).
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

} // namespace kameola
