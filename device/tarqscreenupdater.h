#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Turns each burst of painting into one refresh of the electronic-paper panel. Installed as an
// event filter on the application, it restarts a single-shot timer on every paint event and
// update request; once painting has stopped for REFRESH_DELAY_MS the whole panel is flushed. A
// paint never waits longer than LONGEST_WAIT_MS for its flush, so that painting that goes on (a
// held arrow key moving the cursor) still shows. It changes no event. One updater exists per
// process and is never deleted.
class TarqScreenUpdater : public QObject
{
    Q_OBJECT

public:
    static constexpr int REFRESH_DELAY_MS = 200;
    static constexpr int LONGEST_WAIT_MS = 600;
    static constexpr int PARTIAL_WAVEFORM = 3;
    static constexpr int FULL_WAVEFORM = 4;
    static constexpr int WAIT_MODE = 1;

    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;

    TarqScreenUpdater();
    // Reads the time from `clockMs` instead of the system's monotonic clock.
    explicit TarqScreenUpdater(Clock clockMs);
    ~TarqScreenUpdater() override;

    // Creates the process-wide updater on the first call and installs it on `target`.
    static void install(QObject* target);

    // Restarts the timer on Paint and UpdateRequest; always lets the event through.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // How long after the last paint the pending flush comes, in milliseconds; -1 when none is
    // pending.
    int pendingDelayMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }

    static TarqScreenUpdater* g_pUpdateFilter;

public slots:
    void partialUpdate();
    void fullUpdate();

private:
    QTimer m_timer;
    Clock m_clock;
    qint64 m_firstUnflushedMs = 0; // when the oldest paint not flushed yet came
};
