// SPDX-License-Identifier: MIT
// FakeServices: answers the main window's boxes and dialogs in tests and records what it was asked.
#pragma once

#include "common/Errors.h"
#include "app/Services.h"
#include "tests/app/QStringPrinter.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kameola::test {

struct Box {
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    bool error = false;
    bool warning = false;
};

// The text of the error box an exception ends in: its message with the full stop the box adds.
inline QString ErrorBoxText(const Exception& error)
{
    return QString::fromStdString(WithFullStop(error.Message()));
}

class FakeServices : public Services {
public:
    std::vector<Box> boxes;
    std::deque<MessageAnswer> answers;  // for Yes/No boxes; Yes when empty
    std::optional<QStringList> pictures;  // what a picture dialog returns; cancelled when empty
    int pictureDialogs = 0;
    std::function<void(QFileDialog&)> onPictureDialog;  // looks at or changes the dialog shown
    // The folder chooser's answer: the chosen folder, or nothing when cancelled.
    std::function<std::optional<QStringList>(QFileDialog&)> browse = [](QFileDialog&) {
        return std::optional<QStringList>();
    };
    std::deque<std::optional<QColor>> colors;  // colour dialogs' answers; cancelled when empty
    std::vector<QColor> colorStarts;           // the colour each colour dialog started at
    std::vector<QDialog*> modals;
    int busy = 0;
    int restored = 0;
    std::function<void()> onBusy;  // runs when a run shows the busy cursor
    std::chrono::milliseconds busyDelay = std::chrono::hours(1);  // window work is never slow

    MessageAnswer ShowMessage(QWidget*, const QString& text, const QString& caption,
                              MessageButtons buttons) override
    {
        boxes.push_back({text, caption, buttons, false});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (answers.empty())
            return MessageAnswer::Yes;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowError(QWidget*, const QString& text, const QString& caption) override
    {
        boxes.push_back({text, caption, MessageButtons::Ok, true});
    }
    void ShowWarning(QWidget*, const QString& text, const QString& caption) override
    {
        boxes.push_back({text, caption, MessageButtons::Ok, false, true});
    }
    void ShowBusyCursor() override
    {
        ++busy;
        if (onBusy)
            onBusy();
    }
    void RestoreCursor() override { ++restored; }
    std::chrono::milliseconds BusyDelay() const override { return busyDelay; }
    // Picture dialogs are told from the folder chooser's by their object name. The dialog
    // ends as a real one does (the answer selected, finished emitted), without a modal loop.
    std::optional<QStringList> ExecFileDialog(QFileDialog& dialog) override
    {
        std::optional<QStringList> answer;
        if (dialog.objectName() == QLatin1String("OpenPictureDialog")) {
            ++pictureDialogs;
            if (onPictureDialog)
                onPictureDialog(dialog);
            answer = pictures;
        } else {
            answer = browse(dialog);
        }
        if (answer && !answer->isEmpty())
            dialog.selectFile(answer->first());
        static_cast<QDialog&>(dialog).done(answer ? QDialog::Accepted : QDialog::Rejected);
        return answer;
    }
    std::optional<QColor> ExecColorDialog(QColorDialog& dialog) override
    {
        colorStarts.push_back(dialog.currentColor());
        std::optional<QColor> answer;
        if (!colors.empty()) {
            answer = colors.front();
            colors.pop_front();
        }
        static_cast<QDialog&>(dialog).done(answer ? QDialog::Accepted : QDialog::Rejected);
        return answer;
    }
    void ExecModal(QDialog& dialog) override { modals.push_back(&dialog); }
};

} // namespace kameola::test
