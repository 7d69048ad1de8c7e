// RunHost: the window services a gallery run is given. The windows, the batch front end
// and the tests each supply their own.
#pragma once

#include <string>

namespace kameola {

enum class MessageButtons { Ok, YesNo };
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

    // Sets the progress range to bottom..top. A top below the bottom raises
    // EInvalidOperation(bottom + 1, 2147483647) and changes nothing.
    virtual void SetProgressRange(int bottom, int top) = 0;
    virtual void SetProgress(int position) = 0;

    // Lets pending window events run once. May raise EAbort to stop the run.
    virtual void ProcessEvents() = 0;

    // Told when a copy was skipped because the target exists or the copy failed, with
    // the message saying why; the run itself reports nothing and goes on.
    virtual void CopySkipped(const std::string& source, const std::string& target,
                             const std::string& reason)
    {
        (void)source;
        (void)target;
        (void)reason;
    }
};

} // namespace kameola
