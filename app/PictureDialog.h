// The picture dialog: Qt's own file dialog for JPEG, GIF and BMP files, with a preview pane.
#pragma once

class QFileDialog;
class QWidget;

namespace kameola {

// The filter as the dialog shows it.
inline constexpr const char* kPictureFilterText = "画像ファイル(*.JPG;*.GIF;*.BMP)";

// A modal, resizable, non-native open dialog for several existing files, with the one
// picture filter (its patterns match in any letter case) and a preview of the current file.
QFileDialog* CreatePictureDialog(QWidget* parent);

} // namespace kameola
