// SPDX-License-Identifier: MIT
// The completion list of a file dialog's name box.
#include "widgets/DialogCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

namespace kameola {

namespace {

void HideCompletion(QFileDialog& dialog)
{
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup())
            completer->popup()->hide();
}

// Keeps a completion list closed while its box is empty. Opening a typed folder empties
// the name box, and the completer then lists the new folder on its own once Qt has read
// it, a moment later: a list nobody asked for.
class NoListForEmptyBox : public QObject {
public:
    NoListForEmptyBox(QCompleter* completer) : QObject(completer), m_completer(completer)
    {
        completer->popup()->installEventFilter(this);
        if (auto* box = qobject_cast<QLineEdit*>(completer->widget())) {
            connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
                if (text.isEmpty())
                    HideIfEmpty();
            });
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            HideIfEmpty();
        return QObject::eventFilter(watched, event);
    }

private:
    // Now and again once the event that brought the list up has been handled.
    void HideIfEmpty()
    {
        const auto hide = [this] {
            auto* box = qobject_cast<QLineEdit*>(m_completer->widget());
            if (box && box->text().isEmpty() && m_completer->popup()->isVisible())
                m_completer->popup()->hide();
        };
        hide();
        QTimer::singleShot(0, this, hide);
    }

    QCompleter* m_completer;
};

} // namespace

void CloseCompletionWithDialog(QFileDialog& dialog)
{
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] { HideCompletion(dialog); });
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog] { HideCompletion(dialog); });
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup())
            new NoListForEmptyBox(completer);
}

} // namespace kameola
