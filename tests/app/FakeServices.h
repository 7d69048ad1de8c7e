// FakeServices: answers the main window's boxes and dialogs in tests and records what it was asked.
#pragma once

#include "tests/app/QStringPrinter.h"
#include "app/Services.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kameola::testing {

struct Box {
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    bool error = false;
};

class FakeServices : public Services {
public:
    std::vector<Box> boxes;
    std::deque<MessageAnswer> answers;  // for Yes/No boxes; Yes when empty
    std::optional<QStringList> pictures;  // what the picture dialog returns; cancelled when empty
    int pictureDialogs = 0;
    std::function<void(QFileDialog&)> onPictureDialog;  // looks at or changes the dialog shown
    std::function<bool(TBrowseDialog&)> browse = [](TBrowseDialog&) { return false; };
    std::vector<QDialog*> modals;
    int busy = 0;
    int restored = 0;
    std::function<void()> onBusy;  // runs when a run shows the busy cursor

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
    void ShowBusyCursor() override
    {
        ++busy;
        if (onBusy)
            onBusy();
    }
    void RestoreCursor() override { ++restored; }
    std::optional<QStringList> ExecPictureDialog(QFileDialog& dialog) override
    {
        ++pictureDialogs;
        if (onPictureDialog)
            onPictureDialog(dialog);
        return pictures;
    }
    bool ExecBrowseDialog(TBrowseDialog& dialog) override { return browse(dialog); }
    void ExecModal(QDialog& dialog) override { modals.push_back(&dialog); }
};

} // namespace kameola::testing
