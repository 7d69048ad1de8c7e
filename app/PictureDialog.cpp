// SPDX-License-Identifier: MIT
// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#include "app/PictureDialog.h"

#include "widgets/DialogCompletion.h"
#include "widgets/DialogFit.h"
#include "widgets/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStandardPaths>

namespace kameola {

namespace {

constexpr int kPreviewSide = 160;

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

// A name typed into the name box selects its file in the list without making it the
// current one, so no currentChanged comes: one selected file is shown as well.
void PreviewSelectedFile(QFileDialog& dialog, QLabel* preview)
{
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!list || !model || !list->selectionModel())
        return;
    QItemSelectionModel* selection = list->selectionModel();
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, preview, [=] {
        QModelIndexList files = selection->selectedIndexes();
        files.removeIf([](const QModelIndex& index) { return index.column() != 0; });
        if (files.size() == 1)
            ShowPreview(preview, model->filePath(files.first()));
    });
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
    PreviewSelectedFile(dialog, preview);
}

} // namespace

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
        RunOnShow(*dialog, [name] {
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
