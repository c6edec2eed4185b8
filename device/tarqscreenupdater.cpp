#include "tarqscreenupdater.h"

#include <QEvent>

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

} // namespace

TarqScreenUpdater::TarqScreenUpdater()
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
    if (type == QEvent::Paint || type == QEvent::UpdateRequest)
        m_timer.start();
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
