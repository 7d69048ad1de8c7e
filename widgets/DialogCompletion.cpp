// The completion list of a file dialog's name box.
#include "widgets/DialogCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QTimer>

namespace kameola {

namespace {

void HideCompletion(QFileDialog& dialog)
{
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup())
            completer->popup()->hide();
}

} // namespace

void CloseCompletionWithDialog(QFileDialog& dialog)
{
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] { HideCompletion(dialog); });
    // Opening a folder clears the name box and re-roots the completer, which can bring the
    // list up again for the old text once this turn of the event loop has ended: hide it
    // now and once more after that.
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog] {
        HideCompletion(dialog);
        QTimer::singleShot(0, &dialog, [&dialog] { HideCompletion(dialog); });
    });
}

} // namespace kameola
