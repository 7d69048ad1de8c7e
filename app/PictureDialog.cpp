// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#include "app/PictureDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

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

QFileDialog* CreatePictureDialog(QWidget* parent)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setSizeGripEnabled(true);
    SetPictureFilter(*dialog, QString::fromUtf8(kPictureFilterText), QStringLiteral("*.JPG *.GIF *.BMP"));
    AddPicturePreview(*dialog);
    return dialog;
}

} // namespace kameola
