// Picture dialogs: Qt's own file dialog with a picture filter and a preview pane.
#pragma once

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

// The main window's dialog: modal, resizable, non-native, for several existing files,
// with its picture filter and the preview.
QFileDialog* CreatePictureDialog(QWidget* parent);

} // namespace kameola
