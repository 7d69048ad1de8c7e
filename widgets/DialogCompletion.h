// The completion list of a file dialog's name box.
#pragma once

class QFileDialog;

namespace kameola {

// Hides the name box's completion list whenever the dialog closes: the list is a window of
// its own and would otherwise stay up and take the next click.
void CloseCompletionWithDialog(QFileDialog& dialog);

} // namespace kameola
