// SPDX-License-Identifier: MIT
// BusyBatch: a batch of window work that may take longer than a moment.
#pragma once

#include <QElapsedTimer>

#include <functional>
#include <memory>

namespace kameola {

class InputBlocker;
class Services;

// Once the batch has taken longer than the services' busy delay: the busy cursor, the
// user's input dropped, and the pending events handled every few milliseconds so that the
// window repaints. Everything is put back when the batch ends, however it ends.
class BusyBatch {
public:
    // processEvents handles the pending events; it may raise EAbort to end the batch.
    BusyBatch(Services& services, std::function<void()> processEvents);
    ~BusyBatch();
    BusyBatch(const BusyBatch&) = delete;
    BusyBatch& operator=(const BusyBatch&) = delete;

    // Called after each piece of the batch.
    void Step();

private:
    Services& m_services;
    std::function<void()> m_processEvents;
    QElapsedTimer m_clock;
    qint64 m_lastEvents = 0;
    std::unique_ptr<InputBlocker> m_blocker;  // set once the batch counts as busy
};

} // namespace kameola
