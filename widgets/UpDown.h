// SPDX-License-Identifier: MIT
// TUpDown: spin buttons attached to the right of an edit, holding a 16-bit position.
#pragma once

#include <QWidget>

#include <cstdint>

class QLineEdit;
class QToolButton;

namespace kameola {

class TUpDown : public QWidget {
    Q_OBJECT

public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetRange(std::int16_t min, std::int16_t max);

    int Position() const { return m_position; }
    // Keeps the position inside the range; never writes into the edit, so that a text
    // being typed stays as it is.
    void SetPosition(int position);

    // The edit the buttons write into; its Up and Down keys step the position too.
    void SetAssociate(QLineEdit* edit);

    // Names the buttons for screen readers after the field they step: "<field>を増やす"
    // and "<field>を減らす".
    void NameAfter(const QString& field);

    // Steps by delta without wrapping and writes the position as plain digits.
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::int16_t m_min = 0;
    std::int16_t m_max = 100;
    std::int16_t m_position = 0;
    QLineEdit* m_associate = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

} // namespace kameola
