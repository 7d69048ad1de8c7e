// SPDX-License-Identifier: MIT
// InputBlocker: drops the user's input to the whole application while it lives.
#pragma once

#include <QObject>

namespace kameola {

// For a window busy with work that still handles its events, so that it repaints: clicks,
// keys, the wheel, touches and drags and drops made meanwhile are dropped, not queued up.
class InputBlocker : public QObject {
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kameola
