// SPDX-License-Identifier: MIT
// The completion list of a file dialog's name box.
#include "widgets/DialogCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTimer>

namespace kameola {

namespace {

void HideCompletion(QFileDialog& dialog)
{
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup())
            completer->popup()->hide();
}

// Whether the user is typing into a box: true from a key press or an edit in it until the
// event loop next comes round.
class TypingWatch : public QObject {
public:
    explicit TypingWatch(QLineEdit* box) : QObject(box), m_box(box)
    {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, &TypingWatch::Mark);
    }

    // Keys typed while the list is open go to the list first.
    void Watch(QObject* list) { list->installEventFilter(this); }

    bool Typing() const { return m_typing && m_box && !m_box->text().isEmpty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod)
            Mark();
        return QObject::eventFilter(watched, event);
    }

private:
    void Mark()
    {
        m_typing = true;
        QTimer::singleShot(0, this, [this] { m_typing = false; });
    }

    QPointer<QLineEdit> m_box;
    bool m_typing = false;
};

// The completer's list as Qt makes it, except that it refuses to show unless its box is
// being typed into. Refusing the show itself, rather than hiding the list once shown,
// leaves no window mapped and no mouse grab behind.
class TypedOnlyList : public QListView {
public:
    explicit TypedOnlyList(const TypingWatch* watch) : m_watch(watch)
    {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

    void setVisible(bool visible) override
    {
        if (visible && !isVisible() && !(m_watch && m_watch->Typing()))
            return;
        QListView::setVisible(visible);
    }

private:
    QPointer<const TypingWatch> m_watch;
};

// The list a typed folder leaves open closes as the folder opens: the box empties then, and
// the list would go on showing the new folder over the dialog.
void ListOnlyWhileTyping(QFileDialog& dialog, QCompleter& completer)
{
    auto* box = qobject_cast<QLineEdit*>(completer.widget());
    if (!box)
        return;
    auto* watch = new TypingWatch(box);
    auto* list = new TypedOnlyList(watch);
    const int column = completer.completionColumn();
    completer.setPopup(list);  // the completer owns the list from here on
    list->setModelColumn(column);
    watch->Watch(list);
    QObject::connect(box, &QLineEdit::textChanged, list, [list](const QString& text) {
        if (text.isEmpty())
            list->hide();
    });
    if (auto* model = dialog.findChild<QFileSystemModel*>())
        QObject::connect(model, &QFileSystemModel::rootPathChanged, list, &QWidget::hide);
}

} // namespace

void CloseCompletionWithDialog(QFileDialog& dialog)
{
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] { HideCompletion(dialog); });
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog] { HideCompletion(dialog); });
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        ListOnlyWhileTyping(dialog, *completer);
}

} // namespace kameola
