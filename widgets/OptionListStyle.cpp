// SPDX-License-Identifier: MIT
// The option list's look: check boxes that fit its 13-pixel rows whole and apart.
#include "widgets/OptionListStyle.h"

namespace kameola {

int OptionListStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const
{
    if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
        return kBoxSide;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

} // namespace kameola
