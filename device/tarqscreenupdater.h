#pragma once

#include <QObject>
#include <QTimer>

// Turns each burst of painting into one refresh of the electronic-paper panel. Installed as an
// event filter on the application, it restarts a single-shot timer on every paint event and
// update request; once painting has stopped for REFRESH_DELAY_MS the whole panel is flushed.
// It changes no event. One updater exists per process and is never deleted.
class TarqScreenUpdater : public QObject
{
    Q_OBJECT

public:
    static constexpr int REFRESH_DELAY_MS = 200;
    static constexpr int PARTIAL_WAVEFORM = 3;
    static constexpr int FULL_WAVEFORM = 4;
    static constexpr int WAIT_MODE = 1;

    TarqScreenUpdater();
    ~TarqScreenUpdater() override;

    // Creates the process-wide updater on the first call and installs it on `target`.
    static void install(QObject* target);

    // Restarts the timer on Paint and UpdateRequest; always lets the event through.
    bool eventFilter(QObject* watched, QEvent* event) override;

    static TarqScreenUpdater* g_pUpdateFilter;

public slots:
    void partialUpdate();
    void fullUpdate();

private:
    QTimer m_timer;
};
