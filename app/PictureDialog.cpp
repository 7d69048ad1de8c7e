// SPDX-License-Identifier: MIT
// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#include "app/PictureDialog.h"

#include "widgets/DialogCompletion.h"
#include "widgets/FileDialogs.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>

namespace kameola {

namespace {

constexpr int kPreviewSide = 160;

// Room kept free around a fitted dialog for the window manager's frame and title bar.
constexpr int kFrameRoomX = 32;
constexpr int kFrameRoomY = 64;

// The size the user last left a picture dialog at; invalid before the first.
QSize& LastPictureDialogSize()
{
    static QSize size;
    return size;
}

void ShowPreview(QLabel* preview, const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio)
                                 .boundedTo(size));
    const QImage image = reader.read();
    if (image.isNull())
        preview->clear();
    else
        preview->setPixmap(QPixmap::fromImage(image));
}

// Runs an action each time the watched widget shows, once Qt has finished its own set-up
// for the showing (focus, layout).
class OnShow : public QObject {
public:
    OnShow(QWidget* watched, std::function<void()> action)
        : QObject(watched), m_action(std::move(action))
    {
        watched->installEventFilter(this);
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

// One filter that shows text and matches the blank-separated patterns in any letter case.
void SetPictureFilter(QFileDialog& dialog, const QString& text, const QString& patterns)
{
    // Qt takes a filter's patterns from its last parenthesised, blank-separated list and,
    // with the details hidden, shows the text before it: so the list shown keeps its
    // ";"-separated form while the dialog filters by the patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilter(text + QStringLiteral(" (") + patterns + QStringLiteral(")"));
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

// A pane beside the file list that shows a scaled-down copy of the current picture.
void AddPicturePreview(QFileDialog& dialog)
{
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setFixedWidth(kPreviewSide + 8);
    preview->setMinimumHeight(kPreviewSide + 8);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 1, grid->columnCount(), 1, 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview](const QString& path) { ShowPreview(preview, path); });
}

// Size, type and date as wide as their widest text (and heading); the name takes the rest
// of the list's width, or its own widest text when that is more.
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
    new OnShow(&dialog, [details] { FitColumns(*details); });
}

} // namespace

QSize FitToScreen(QSize wanted, const QScreen* screen)
{
    if (!screen)
        return wanted;
    const QSize room = screen->availableGeometry().size() - QSize(kFrameRoomX, kFrameRoomY);
    return wanted.boundedTo(room.expandedTo(QSize(1, 1)));
}

QFileDialog* CreatePictureDialog(QWidget* parent, const PictureDialogKind& kind,
                                 const QString& folder)
{
    UseNoSettingsFile();
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(QStringLiteral("OpenPictureDialog"));
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // One name of the background picture is taken as typed, whether or not it exists.
    dialog->setFileMode(kind.severalFiles ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    dialog->setSizeGripEnabled(true);
    ShareDialogMemory(*dialog);
    SetPictureFilter(*dialog, QString::fromUtf8(kind.filterText), QString::fromUtf8(kind.patterns));
    AddPicturePreview(*dialog);
    CloseCompletionWithDialog(*dialog);
    if (!folder.isEmpty())
        dialog->setDirectory(folder);

    const QSize last = LastPictureDialogSize();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    dialog->resize(FitToScreen(last.isValid() ? last : kPictureDialogSize, screen));
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog] { LastPictureDialogSize() = dialog->size(); });
    FitColumnsWhenListed(*dialog);
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        new OnShow(dialog, [name] {
            name->setFocus(Qt::OtherFocusReason);
            name->selectAll();
        });
    }
    return dialog;
}

QString PictureStartFolder(const QString& lastAddedFolder)
{
    if (!lastAddedFolder.isEmpty() && QFileInfo(lastAddedFolder).isDir())
        return lastAddedFolder;
    if (const QString visited = LastVisitedFolder(); !visited.isEmpty() && QFileInfo(visited).isDir())
        return visited;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

} // namespace kameola
