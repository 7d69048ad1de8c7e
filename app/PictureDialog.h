// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#pragma once

#include <QSize>
#include <QString>

class QFileDialog;
class QWidget;

namespace kameola {

// The main window's filter as the dialog shows it.
inline constexpr const char* kPictureFilterText = "画像ファイル(*.JPG;*.GIF;*.BMP)";

// Gives the dialog one filter: it shows text and matches the blank-separated patterns in
// any letter case.
void SetPictureFilter(QFileDialog& dialog, const QString& text, const QString& patterns);

// Adds a pane beside the file list that shows a scaled-down copy of the current picture.
void AddPicturePreview(QFileDialog& dialog);

// The size a picture dialog first opens at: its list shows names, sizes and types beside
// the preview.
inline constexpr QSize kPictureDialogSize{860, 520};

// The main window's dialog: modal, resizable, non-native, for several existing files,
// with its picture filter and the preview; it opens on folder, at size, with the
// file-name box focused.
QFileDialog* CreatePictureDialog(QWidget* parent, const QString& folder = QString(),
                                 QSize size = kPictureDialogSize);

// The folder the picture dialog opens on: the folder of the last pictures added; before
// any, the folder Qt's file dialogs last visited, else the user's Pictures folder, else home.
QString PictureStartFolder(const QString& lastAddedFolder);

} // namespace kameola
