// SPDX-License-Identifier: MIT
// QtServices: the message boxes, cursor and dialogs as Qt shows them.
#include "app/Services.h"

#include "widgets/FileDialogs.h"
#include "widgets/MessageBoxWidth.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace kameola {

MessageAnswer QtServices::ShowMessage(QWidget* parent, const QString& text,
                                      const QString& caption, MessageButtons buttons)
{
    const bool question = buttons == MessageButtons::YesNo;
    QMessageBox box(QMessageBox::NoIcon, caption, text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    WidenForCaption(box);
    if (question)
        box.setDefaultButton(QMessageBox::Yes);
    const int answer = box.exec();
    if (!question)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

namespace {

void ShowOkBox(QMessageBox::Icon icon, QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    WidenForCaption(box);
    box.exec();
}

} // namespace

void QtServices::ShowError(QWidget* parent, const QString& text, const QString& caption)
{
    ShowOkBox(QMessageBox::Critical, parent, text, caption);
}

void QtServices::ShowWarning(QWidget* parent, const QString& text, const QString& caption)
{
    ShowOkBox(QMessageBox::Warning, parent, text, caption);
}

void QtServices::ShowBusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtServices::RestoreCursor()
{
    QApplication::restoreOverrideCursor();
}

std::optional<QStringList> QtServices::ExecFileDialog(QFileDialog& dialog)
{
    return RunFileDialog(dialog);
}

std::optional<QColor> QtServices::ExecColorDialog(QColorDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

void QtServices::ExecModal(QDialog& dialog)
{
    dialog.exec();
}

} // namespace kameola
