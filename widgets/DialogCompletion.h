// SPDX-License-Identifier: MIT
// The completion list of a file dialog's name box.
#pragma once

class QFileDialog;

namespace kameola {

// The name box's completion list opens only while the user types into the box (a key
// press or an edit being handled, with text in the box), never by itself: Qt's completer
// also opens it once a folder has been read in the background, with nobody typing, and
// such a list could stay over the dialog and take every click. The list also closes when
// the dialog closes and when it opens the folder typed.
void CloseCompletionWithDialog(QFileDialog& dialog);

} // namespace kameola
