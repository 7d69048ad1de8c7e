// SPDX-License-Identifier: MIT
// The completion list of a file dialog's name box.
#pragma once

class QFileDialog;

namespace kameola {

// Hides the name box's completion list whenever a typed path is taken: when the dialog
// closes and when it opens the folder typed (the box is then empty, and no list shows for
// an empty box). The list is a window of its own and would otherwise stay up over the
// dialog and take the next click.
void CloseCompletionWithDialog(QFileDialog& dialog);

} // namespace kameola
