// The completion list of a file dialog's name box.
#include "widgets/DialogCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>

namespace kameola {

void CloseCompletionWithDialog(QFileDialog& dialog)
{
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
        for (QCompleter* completer : dialog.findChildren<QCompleter*>())
            if (completer->popup())
                completer->popup()->hide();
    });
}

} // namespace kameola
