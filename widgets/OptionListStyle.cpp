// SPDX-License-Identifier: MIT
// The option list's look: check boxes that fit its 13-pixel rows whole and apart.
#include "widgets/OptionListStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace kameola {

int OptionListStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const
{
    if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
        return kBoxSide;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void OptionListStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorItemViewItemCheck || !option)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(option->palette.color(QPalette::Text));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

} // namespace kameola
