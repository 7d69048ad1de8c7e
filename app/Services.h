// Services: the message boxes, cursor and dialogs the main window reaches the user through.
#pragma once

#include "gallery/RunHost.h"

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

namespace kameola {

class TBrowseDialog;

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

    virtual void ShowBusyCursor() = 0;
    virtual void RestoreCursor() = 0;

    // Runs the set-up picture dialog; the chosen paths, or nothing when cancelled.
    virtual std::optional<QStringList> ExecPictureDialog(QFileDialog& dialog) = 0;
    // Runs the folder chooser; true when confirmed.
    virtual bool ExecBrowseDialog(TBrowseDialog& dialog) = 0;
    // Shows a dialog modally and returns when it closes.
    virtual void ExecModal(QDialog& dialog) = 0;
};

// Application-modal QMessageBox, the override cursor and the dialogs' own modal loops.
class QtServices : public Services {
public:
    MessageAnswer ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                              MessageButtons buttons) override;
    void ShowError(QWidget* parent, const QString& text, const QString& caption) override;
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    std::optional<QStringList> ExecPictureDialog(QFileDialog& dialog) override;
    bool ExecBrowseDialog(TBrowseDialog& dialog) override;
    void ExecModal(QDialog& dialog) override;
};

} // namespace kameola
