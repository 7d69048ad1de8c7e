// SPDX-License-Identifier: MIT
// Services: the message boxes, cursor and dialogs the main window reaches the user through.
#pragma once

#include "gallery/RunHost.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class QColorDialog;
class QDialog;
class QFileDialog;
class QWidget;

namespace kameola {

// The real implementation shows Qt's boxes and dialogs; tests put in one that answers
// and records without a modal loop.
class Services {
public:
    virtual ~Services() = default;

    // A modal box without icon, OK or Yes/No; closing a Yes/No box otherwise counts as No.
    virtual MessageAnswer ShowMessage(QWidget* parent, const QString& text,
                                      const QString& caption, MessageButtons buttons) = 0;
    // A modal box with the stop icon and an OK button.
    virtual void ShowError(QWidget* parent, const QString& text, const QString& caption) = 0;
    // A modal box with the warning icon and an OK button.
    virtual void ShowWarning(QWidget* parent, const QString& text, const QString& caption) = 0;

    virtual void ShowBusyCursor() = 0;
    virtual void RestoreCursor() = 0;
    // How long window work may take before it shows the busy cursor and holds off input.
    virtual std::chrono::milliseconds BusyDelay() const = 0;

    // Every dialog of the windows is shown through these three.
    // Runs a set-up file dialog (a picture dialog, the folder chooser's); the chosen paths,
    // or nothing when cancelled.
    virtual std::optional<QStringList> ExecFileDialog(QFileDialog& dialog) = 0;
    // Runs a set-up colour dialog; the chosen colour, or nothing when cancelled.
    virtual std::optional<QColor> ExecColorDialog(QColorDialog& dialog) = 0;
    // Shows a dialog of the program's own modally and returns when it closes.
    virtual void ExecModal(QDialog& dialog) = 0;
};

// Application-modal QMessageBox, the override cursor and the dialogs' own modal loops.
class QtServices : public Services {
public:
    MessageAnswer ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                              MessageButtons buttons) override;
    void ShowError(QWidget* parent, const QString& text, const QString& caption) override;
    void ShowWarning(QWidget* parent, const QString& text, const QString& caption) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    std::chrono::milliseconds BusyDelay() const override { return std::chrono::milliseconds(250); }
    std::optional<QStringList> ExecFileDialog(QFileDialog& dialog) override;
    std::optional<QColor> ExecColorDialog(QColorDialog& dialog) override;
    void ExecModal(QDialog& dialog) override;
};

} // namespace kameola
