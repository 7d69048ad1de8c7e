// SPDX-License-Identifier: MIT
// TGauge: range checks, percentage and painting of the progress gauge.
#include "widgets/Gauges.h"

#include "common/Errors.h"
#include "widgets/Accessible.h"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <climits>
#include <cmath>

namespace kameola {

namespace {

// Adds without undefined overflow: the range error texts wrap like 32-bit arithmetic.
int WrappingAdd(int value, int delta)
{
    return static_cast<int>(static_cast<unsigned>(value) + static_cast<unsigned>(delta));
}

} // namespace

TGauge::TGauge(QWidget* parent) : QWidget(parent)
{
    UseAccessibleGauges();
}

void TGauge::TellValue()
{
    QAccessibleValueChangeEvent event(this, m_progress);
    QAccessible::updateAccessibility(&event);
}

void TGauge::SetMinValue(int value)
{
    if (value == m_minValue)
        return;
    if (value > m_maxValue)
        throw EInvalidOperation(-INT_MAX, WrappingAdd(m_maxValue, -1));
    m_minValue = value;
    if (m_progress < value)
        m_progress = value;
    update();
    TellValue();
}

void TGauge::SetMaxValue(int value)
{
    if (value == m_maxValue)
        return;
    if (value < m_minValue)
        throw EInvalidOperation(WrappingAdd(m_minValue, 1), INT_MAX);
    m_maxValue = value;
    if (m_progress > value)
        m_progress = value;
    update();
    TellValue();
}

void TGauge::SetProgress(int value)
{
    value = std::clamp(value, m_minValue, m_maxValue);
    if (value == m_progress)
        return;
    const int before = PercentDone();
    m_progress = value;
    if (PercentDone() != before)
        update();
    TellValue();
}

int TGauge::PercentOf(int minValue, int maxValue, int progress)
{
    if (maxValue == minValue)
        return 0;
    // Worked in floating point: the differences may not fit 32 bits.
    const double done = 100.0 * (static_cast<double>(progress) - minValue)
                        / (static_cast<double>(maxValue) - minValue);
    return static_cast<int>(std::trunc(done));
}

int TGauge::PercentDone() const
{
    return PercentOf(m_minValue, m_maxValue, m_progress);
}

void TGauge::SetKind(TGaugeKind kind)
{
    if (kind != m_kind) {
        m_kind = kind;
        update();
    }
}

void TGauge::SetShowText(bool on)
{
    if (on != m_showText) {
        m_showText = on;
        update();
    }
}

void TGauge::SetBorderStyle(TGaugeBorderStyle style)
{
    if (style != m_borderStyle) {
        m_borderStyle = style;
        update();
    }
}

void TGauge::SetForeColor(const QColor& color)
{
    if (color != m_foreColor) {
        m_foreColor = color;
        update();
    }
}

void TGauge::SetBackColor(const QColor& color)
{
    if (color != m_backColor) {
        m_backColor = color;
        update();
    }
}

void TGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = PaintBorder(painter);
    if (inner.isEmpty())
        return;
    painter.fillRect(inner, m_backColor);

    const int percent = PercentDone();
    const QPainterPath done = DonePath(inner, percent);
    painter.setRenderHint(QPainter::Antialiasing, m_kind == gkPie);
    painter.fillPath(done, m_foreColor);
    if (m_kind == gkNeedle)
        PaintNeedle(painter, inner, percent);
    else if (m_showText)
        PaintPercentText(painter, inner, done, percent);
}

QRect TGauge::PaintBorder(QPainter& painter) const
{
    QRect inner = rect();
    if (m_borderStyle == bsSingle) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(inner.adjusted(0, 0, -1, -1));
        inner.adjust(1, 1, -1, -1);
    }
    return inner;
}

QPainterPath TGauge::DonePath(const QRect& inner, int percent) const
{
    // The part of the inner rectangle that shows progress.
    QPainterPath done;
    switch (m_kind) {
    case gkText:
    case gkNeedle:
        break;
    case gkHorizontalBar:
        done.addRect(QRect(inner.left(), inner.top(), inner.width() * percent / 100, inner.height()));
        break;
    case gkVerticalBar: {
        const int height = inner.height() * percent / 100;
        done.addRect(QRect(inner.left(), inner.bottom() + 1 - height, inner.width(), height));
        break;
    }
    case gkPie: {
        const QRectF circle = QRectF(inner).adjusted(1, 1, -1, -1);
        done.moveTo(circle.center());
        done.arcTo(circle, 90, -360.0 * percent / 100);
        done.closeSubpath();
        break;
    }
    }
    return done;
}

void TGauge::PaintNeedle(QPainter& painter, const QRect& inner, int percent) const
{
    // A half dial with a needle from its centre at the bottom edge.
    const QPointF centre(inner.center().x() + 0.5, inner.bottom());
    const double radius = std::min(inner.width() / 2.0, static_cast<double>(inner.height()));
    const double angle = M_PI * (1.0 - percent / 100.0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(m_foreColor, 1));
    painter.drawLine(centre, centre + QPointF(radius * std::cos(angle), -radius * std::sin(angle)));
}

void TGauge::PaintPercentText(QPainter& painter, const QRect& inner, const QPainterPath& done, int percent) const
{
    // In the fore colour outside the progress and the back colour over it, so that it
    // stays readable on both.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    const QString text = QString::asprintf("%d%%", percent);
    painter.save();
    QPainterPath rest;
    rest.addRect(inner);
    painter.setClipPath(rest.subtracted(done));
    painter.setPen(m_foreColor);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.restore();
    if (!done.isEmpty()) {
        painter.setClipPath(done);
        painter.setPen(m_backColor);
        painter.drawText(inner, Qt::AlignCenter, text);
    }
}

} // namespace kameola
