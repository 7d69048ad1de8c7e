// SPDX-License-Identifier: MIT
// Fitting a file dialog to the screen and its list's columns to their contents.
#include "widgets/DialogFit.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace kameola {

namespace {

// Room kept free around a fitted dialog for the window manager's frame and title bar.
constexpr int kFrameRoomX = 32;
constexpr int kFrameRoomY = 64;

class OnShow : public QObject {
public:
    OnShow(QWidget& watched, std::function<void()> action)
        : QObject(&watched), m_action(std::move(action))
    {
        watched.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, this, m_action);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

void FitColumns(QTreeView& details)
{
    QHeaderView* header = details.header();
    int others = 0;
    for (int column = 1; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        details.resizeColumnToContents(column);
        others += header->sectionSize(column);
    }
    details.resizeColumnToContents(0);
    const int name = header->sectionSize(0);
    header->resizeSection(0, std::max(name, details.viewport()->width() - others));
}

} // namespace

QSize FitToScreen(QSize wanted, const QScreen* screen)
{
    if (!screen)
        return wanted;
    const QSize room = screen->availableGeometry().size() - QSize(kFrameRoomX, kFrameRoomY);
    return wanted.boundedTo(room.expandedTo(QSize(1, 1)));
}

void FitColumnsWhenListed(QFileDialog& dialog)
{
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!details || !model)
        return;
    // The last column would otherwise take all the room left over, and the first keep its
    // fixed width.
    details->header()->setStretchLastSection(false);
    QObject::connect(model, &QFileSystemModel::directoryLoaded, details,
                     [details] { FitColumns(*details); });
    RunOnShow(dialog, [details] { FitColumns(*details); });
}

void RunOnShow(QWidget& widget, std::function<void()> action)
{
    new OnShow(widget, std::move(action));
}

} // namespace kameola
