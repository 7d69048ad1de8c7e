// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#include "app/PictureDialog.h"
#include "widgets/DialogCompletion.h"

#include <QEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace kameola {

namespace {

constexpr int kPreviewSide = 160;

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

// Gives the file-name box the focus each time the dialog shows, once Qt has set up the
// dialog's own focus, so that typing goes straight into the name.
class FocusOnShow : public QObject {
public:
    FocusOnShow(QWidget* target, QObject* parent) : QObject(parent), m_target(target) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            QTimer::singleShot(0, m_target, [target = m_target] {
                target->setFocus(Qt::OtherFocusReason);
                if (auto* edit = qobject_cast<QLineEdit*>(target))
                    edit->selectAll();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_target;
};

} // namespace

void SetPictureFilter(QFileDialog& dialog, const QString& text, const QString& patterns)
{
    // Qt takes a filter's patterns from its last parenthesised, blank-separated list and,
    // with the details hidden, shows the text before it: so the list shown keeps its
    // ";"-separated form while the dialog filters by the patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilter(text + QStringLiteral(" (") + patterns + QStringLiteral(")"));
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

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

QFileDialog* CreatePictureDialog(QWidget* parent, const QString& folder, QSize size)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setSizeGripEnabled(true);
    SetPictureFilter(*dialog, QString::fromUtf8(kPictureFilterText), QStringLiteral("*.JPG *.GIF *.BMP"));
    AddPicturePreview(*dialog);
    CloseCompletionWithDialog(*dialog);
    if (!folder.isEmpty())
        dialog->setDirectory(folder);
    dialog->resize(size);
    // Columns wide enough for a name, a size and a type beside the preview.
    if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        details->header()->resizeSection(0, 230);
        details->header()->resizeSection(1, 80);
        details->header()->resizeSection(2, 100);
    }
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        dialog->installEventFilter(new FocusOnShow(name, dialog));
    return dialog;
}

QString PictureStartFolder(const QString& lastAddedFolder)
{
    if (!lastAddedFolder.isEmpty() && QFileInfo(lastAddedFolder).isDir())
        return lastAddedFolder;
    // Where Qt's own file dialogs keep the folder they last showed.
    const QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
    const QUrl visited(qt.value(QStringLiteral("FileDialog/lastVisited")).toString());
    if (visited.isLocalFile() && QFileInfo(visited.toLocalFile()).isDir())
        return visited.toLocalFile();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

} // namespace kameola
