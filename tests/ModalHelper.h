// SPDX-License-Identifier: MIT
// WhenModal: lets a GUI test act on a modal window from inside its modal loop.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <gtest/gtest.h>

namespace kameola::test {

// Runs `act` on the modal window once it is up and active. No modal window within a few
// seconds, or one that `act` leaves open, is a failure; the windows are then closed so the
// test cannot hang.
inline void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 500)
{
    QTimer::singleShot(10, [act, triesLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isActiveWindow()) {
            if (triesLeft > 0) {
                WhenModal(act, triesLeft - 1);
                return;
            }
            ADD_FAILURE() << "no modal window came up";
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                    d->reject();
            }
            return;
        }
        act(modal);
        if (modal->isVisible()) {
            ADD_FAILURE() << "modal window left open";
            modal->close();
        }
    });
}

} // namespace kameola::test
