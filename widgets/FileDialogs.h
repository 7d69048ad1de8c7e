// SPDX-License-Identifier: MIT
// What the program's file dialogs share: no settings file, a memory for this run only,
// and the modal run itself.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;

namespace kameola {

// Points Qt's own settings (the file dialogs' history, side bar and last folder, the colour
// dialog's custom colours) at a place that can never be read or written, so the program
// keeps no stored state. Call before the first dialog is made; calling again does nothing.
void UseNoSettingsFile();

// Gives a new dialog what the program's file dialogs left this run (history, side bar,
// view mode) and takes back what it leaves when it closes. A dialog that shows a side bar
// of its own (ownSidebar) leaves the shared one as it was.
void ShareDialogMemory(QFileDialog& dialog, bool ownSidebar = false);

// The folder of the files last chosen in a file dialog this run (of a folder chooser: the
// folder it showed); empty before any.
QString LastVisitedFolder();

// Runs a set-up file dialog modally: the chosen paths, or nothing when it was cancelled.
using FileDialogRunner = std::function<std::optional<QStringList>(QFileDialog& dialog)>;
std::optional<QStringList> RunFileDialog(QFileDialog& dialog);

} // namespace kameola
