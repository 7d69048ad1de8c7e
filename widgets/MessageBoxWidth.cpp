// SPDX-License-Identifier: MIT
// Message boxes wide enough for a window manager to show their whole caption.
#include "widgets/MessageBoxWidth.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace kameola {

int MessageBoxMinimumWidth(const QString& caption)
{
    // Window managers draw captions bold more often than not; measure the wider one.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    return std::max(220, QFontMetrics(titleFont).horizontalAdvance(caption) + 120);
}

void WidenForCaption(QMessageBox& box)
{
    // QMessageBox fixes its own size from its layout when shown, so the width goes into
    // the layout: a spacer across every column below the rest.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = MessageBoxMinimumWidth(box.windowTitle());
    const QMargins margins = grid->contentsMargins();
    grid->addItem(new QSpacerItem(width - margins.left() - margins.right(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace kameola
