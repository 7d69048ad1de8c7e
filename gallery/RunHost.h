// SPDX-License-Identifier: MIT
// RunHost: the window services a gallery run is given. The windows, the batch front end
// and the tests each supply their own.
#pragma once

#include "common/Messages.h"

#include <string>

namespace kameola {

enum class MessageButtons { Ok, YesNo };

// What a finished run wrote.
struct RunStats {
    int Cells = 0;          // entries on the page
    int Failed = 0;         // entries left out because they failed
    int SmallImages = 0;
    int Conversions = 0;
    int SkippedCopies = 0;  // copies the copy rule skipped, the background picture's too
    std::string Page;       // the page's path
};
enum class MessageAnswer { Ok, Yes, No };

class RunHost {
public:
    virtual ~RunHost() = default;

    // A modal message box without icon; returns the button pressed (closing a Yes/No box
    // any other way counts as No).
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageButtons buttons) = 0;

    // Shows the busy cursor, remembering the one shown before; RestoreCursor puts it back.
    virtual void ShowBusyCursor() = 0;
    virtual void RestoreCursor() = 0;

    // Sets the progress range to bottom..top; the run never asks for a top below the bottom.
    virtual void SetProgressRange(int bottom, int top) = 0;
    virtual void SetProgress(int position) = 0;

    // Lets pending window events run once. May raise EAbort to stop the run.
    virtual void ProcessEvents() = 0;

    // Called again and again while the run waits for an entry being prepared and between
    // the pieces of a large copy: a window handles its events here so that it stays
    // responsive. May raise EAbort.
    virtual void KeepResponsive() {}

    // Told what the run wrote, once the page is in place, before the completion notice.
    virtual void Finished(const RunStats& stats) { (void)stats; }

    // Told when an entry failed and was left out of the page (only when the run was asked
    // to keep going); message is the error's.
    virtual void EntryFailed(const std::string& path, const MessageText& message)
    {
        (void)path;
        (void)message;
    }

    // Told when a copy was skipped because the target exists or the copy failed, with
    // the message saying why; the run itself reports nothing and goes on.
    virtual void CopySkipped(const std::string& source, const std::string& target,
                             const MessageText& reason)
    {
        (void)source;
        (void)target;
        (void)reason;
    }
};

} // namespace kameola
