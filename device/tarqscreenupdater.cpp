#include "tarqscreenupdater.h"

#include <QElapsedTimer>
#include <QEvent>

#include <algorithm>
#include <utility>

#include "screenproxy.h"

TarqScreenUpdater* TarqScreenUpdater::g_pUpdateFilter = nullptr;

namespace
{

// Asks the device to refresh the whole panel with the given waveform.
void flushScreen(int waveform)
{
    using tarq::screen::ScreenCommand;
    using tarq::screen::ScreenProxy;
    ScreenProxy::instance().flush(
        nullptr, static_cast<ScreenProxy::Waveform>(waveform), true,
        static_cast<ScreenCommand::WaitMode>(TarqScreenUpdater::WAIT_MODE));
}

// The milliseconds since the call, on the system's monotonic clock.
TarqScreenUpdater::Clock monotonicClock()
{
    QElapsedTimer clock;
    clock.start();
    return [clock] { return clock.elapsed(); };
}

} // namespace

TarqScreenUpdater::TarqScreenUpdater() : TarqScreenUpdater(monotonicClock()) {}

TarqScreenUpdater::TarqScreenUpdater(Clock clockMs) : m_clock(std::move(clockMs))
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early, in the middle of a burst still being painted.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(REFRESH_DELAY_MS);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(partialUpdate()));
}

TarqScreenUpdater::~TarqScreenUpdater() = default;

void TarqScreenUpdater::install(QObject* target)
{
    if (!g_pUpdateFilter)
        g_pUpdateFilter = new TarqScreenUpdater; // lives until the process ends
    target->installEventFilter(g_pUpdateFilter);
}

bool TarqScreenUpdater::eventFilter(QObject* /*watched*/, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Paint && type != QEvent::UpdateRequest)
        return false;
    const qint64 now = m_clock();
    // With no flush pending, this paint is the oldest one the next flush shows.
    if (!m_timer.isActive())
        m_firstUnflushedMs = now;
    // The flush comes after the paint the event asks for, even when it is due at once.
    const qint64 left = LONGEST_WAIT_MS - (now - m_firstUnflushedMs);
    m_timer.start(static_cast<int>(std::clamp<qint64>(left, 0, REFRESH_DELAY_MS)));
    return false;
}

void TarqScreenUpdater::partialUpdate()
{
    flushScreen(PARTIAL_WAVEFORM);
}

void TarqScreenUpdater::fullUpdate()
{
    flushScreen(FULL_WAVEFORM);
}
