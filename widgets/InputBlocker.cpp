// SPDX-License-Identifier: MIT
// InputBlocker: drops the user's input to the whole application while it lives.
#include "widgets/InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>

namespace kameola {

namespace {

bool IsUserInput(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlocker::InputBlocker()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (IsUserInput(*event)) {
        event->ignore();  // a drag is refused rather than left waiting
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kameola
