// SPDX-License-Identifier: MIT
// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#pragma once

#include "widgets/DialogFit.h"

#include <QSize>
#include <QString>

class QFileDialog;
class QWidget;

namespace kameola {

// What tells the two picture dialogs apart.
struct PictureDialogKind {
    const char* filterText;  // the one filter as the dialog shows it
    const char* patterns;    // blank-separated, matched in any letter case
    bool severalFiles;       // several existing files; else one name, taken as typed
};

// 追加 in the main window and 参照 in the style dialog.
inline constexpr PictureDialogKind kAddPictures{"画像ファイル(*.JPG;*.GIF;*.BMP)",
                                                "*.JPG *.GIF *.BMP", true};
inline constexpr PictureDialogKind kBackgroundPicture{"画像ファイル(*.JPG;*.GIF)", "*.JPG *.GIF",
                                                      false};

// The size a picture dialog first opens at: its list shows names, sizes, types and dates
// beside the preview.
inline constexpr QSize kPictureDialogSize{860, 520};

// A picture dialog: modal, resizable, non-native, with the kind's filter, the preview and
// the file-name box focused. It opens on folder (Qt's choice when empty) at the size the
// last picture dialog was left at this run (else kPictureDialogSize), fitted to the screen;
// its columns fit their contents. The caller owns it.
QFileDialog* CreatePictureDialog(QWidget* parent, const PictureDialogKind& kind,
                                 const QString& folder = QString());

// The folder the picture dialog opens on: the folder of the last pictures added; before
// any, the folder a file dialog last showed this run, else the user's Pictures folder,
// else home.
QString PictureStartFolder(const QString& lastAddedFolder);

} // namespace kameola
