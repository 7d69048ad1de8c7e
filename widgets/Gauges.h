// SPDX-License-Identifier: MIT
// TGauge: a progress gauge that shows how far a range has been worked through.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QWidget>

class QPainter;

namespace kameola {

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum TGaugeBorderStyle { bsNone, bsSingle };

class TGauge : public QWidget {
    Q_OBJECT

public:
    explicit TGauge(QWidget* parent = nullptr);

    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_maxValue; }
    int Progress() const { return m_progress; }

    // Raises EInvalidOperation(-2147483647, MaxValue - 1) for a value above MaxValue.
    void SetMinValue(int value);
    // Raises EInvalidOperation(MinValue + 1, 2147483647) for a value below MinValue.
    void SetMaxValue(int value);
    // Clamps the value into MinValue..MaxValue.
    void SetProgress(int value);

    // The whole percentage done, truncated; 0 for an empty range.
    int PercentDone() const;

    TGaugeKind Kind() const { return m_kind; }
    void SetKind(TGaugeKind kind);
    bool ShowText() const { return m_showText; }
    void SetShowText(bool on);
    TGaugeBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TGaugeBorderStyle style);
    QColor ForeColor() const { return m_foreColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Tells screen readers that the value or its range changed.
    void TellValue();
    QRect PaintBorder(QPainter& painter) const;  // the rectangle inside the border
    QPainterPath DonePath(const QRect& inner, int percent) const;
    void PaintNeedle(QPainter& painter, const QRect& inner, int percent) const;
    void PaintPercentText(QPainter& painter, const QRect& inner, const QPainterPath& done, int percent) const;

    static int PercentOf(int minValue, int maxValue, int progress);

    int m_minValue = 0;
    int m_maxValue = 100;
    int m_progress = 0;
    TGaugeKind m_kind = gkHorizontalBar;
    bool m_showText = true;
    TGaugeBorderStyle m_borderStyle = bsSingle;
    QColor m_foreColor = Qt::black;
    QColor m_backColor = Qt::white;
};

} // namespace kameola
