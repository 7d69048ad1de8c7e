// SPDX-License-Identifier: MIT
// TUpDown: spin buttons attached to the right of an edit, holding a 16-bit position.
#include "widgets/UpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace kameola {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    for (QToolButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetRange(std::int16_t min, std::int16_t max)
{
    m_min = min;
    m_max = std::max(min, max);
    SetPosition(m_position);
}

void TUpDown::SetPosition(int position)
{
    m_position = static_cast<std::int16_t>(std::clamp<int>(position, m_min, m_max));
}

void TUpDown::SetAssociate(QLineEdit* edit)
{
    if (m_associate)
        m_associate->removeEventFilter(this);
    m_associate = edit;
    if (m_associate)
        m_associate->installEventFilter(this);
}

void TUpDown::NameAfter(const QString& field)
{
    setAccessibleName(field + QStringLiteral("の増減"));
    m_up->setAccessibleName(field + QStringLiteral("を増やす"));
    m_down->setAccessibleName(field + QStringLiteral("を減らす"));
}

void TUpDown::Step(int delta)
{
    SetPosition(m_position + delta);
    if (m_associate)
        m_associate->setText(QString::number(m_position));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_associate && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}

} // namespace kameola
