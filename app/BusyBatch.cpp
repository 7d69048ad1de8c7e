// SPDX-License-Identifier: MIT
// BusyBatch: a batch of window work that may take longer than a moment.
#include "app/BusyBatch.h"

#include "widgets/InputBlocker.h"
#include "app/Services.h"

#include <QCoreApplication>

namespace kameola {

namespace {

// How often a busy batch lets the window repaint.
constexpr qint64 kEventsEveryMs = 50;

} // namespace

BusyBatch::BusyBatch(Services& services, std::function<void()> processEvents)
    : m_services(services), m_processEvents(std::move(processEvents))
{
    m_clock.start();
}

BusyBatch::~BusyBatch()
{
    if (!m_blocker)
        return;
    // Input that came since the last look is dropped too, not handled after the batch.
    QCoreApplication::processEvents();
    m_services.RestoreCursor();
}

void BusyBatch::Step()
{
    const qint64 now = m_clock.elapsed();
    if (!m_blocker) {
        if (now < m_services.BusyDelay().count())
            return;
        m_blocker = std::make_unique<InputBlocker>();
        m_services.ShowBusyCursor();
    } else if (now - m_lastEvents < kEventsEveryMs) {
        return;
    }
    m_lastEvents = now;
    m_processEvents();
}

} // namespace kameola
