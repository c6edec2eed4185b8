#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QTimerEvent>
#include <QWidget>

#include <memory>

#include "screenproxy.h"
#include "tarqscreenupdater.h"

using tarq::screen::ScreenProxy;

namespace
{

constexpr int PAINTS = 10;
// A burst short enough for its flush to come the refresh delay after its last paint.
constexpr int BURST_PAINTS = 6;
constexpr int PAINT_GAP_MS = 50;
// A gap this long between two paints means the machine stalled; the burst is tried again.
constexpr int STALLED_GAP_MS = 150;
// A held arrow key moves the cursor 25 times a second: 34 steps in 1.33 s.
constexpr int KEY_REPEAT_MS = 40;
constexpr int KEY_REPEATS = 34;
constexpr int BURST_TRIES = 5;
constexpr int POLL_MS = 2;
constexpr int QUIET_MS = 600;
// Later than this the flush is late even on a busy machine running the tests in parallel.
constexpr int LATEST_FLUSH_MS = 450;
constexpr int FLUSH_SAMPLES = 10;

int flushes()
{
    return ScreenProxy::instance().flushCount();
}

// Waits for the next flush and answers when it came on `clock`, or -1 if none came.
qint64 nextFlushMs(const QElapsedTimer& clock)
{
    const int before = flushes();
    const qint64 start = clock.elapsed();
    while (flushes() == before) {
        if (clock.elapsed() - start >= QUIET_MS * 5)
            return -1;
        QTest::qWait(POLL_MS);
    }
    return clock.elapsed();
}

// Waits until the updater has flushed what is pending and forgets the flushes so far.
void settle()
{
    QTest::qWait(QUIET_MS);
    ScreenProxy::instance().resetFlushes();
}

} // namespace

// The panel refresh: bursts of painting become one flush REFRESH_DELAY_MS after the last paint,
// and nothing else starts a refresh.
class TarqScreenUpdaterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installingTwiceKeepsOneUpdater();
    void noPaintNoFlush();
    void otherEventsDoNotStartTimer_data();
    void otherEventsDoNotStartTimer();
    void filterLetsEveryEventThrough_data();
    void filterLetsEveryEventThrough();
    void burstOfPaintsGivesOneFlush();
    void flushFollowsLastPaintAfterRefreshDelay_data();
    void flushFollowsLastPaintAfterRefreshDelay();
    void paintWaitsNoLongerThanTheLongestWait_data();
    void paintWaitsNoLongerThanTheLongestWait();
    void heldKeyIsShownWhileItRepeats();
    void updateRequestStartsTimer();
    void fullUpdateUsesFullWaveform();

private:
    std::unique_ptr<QWidget> m_widget;
};

void TarqScreenUpdaterTest::initTestCase()
{
    QVERIFY(!TarqScreenUpdater::g_pUpdateFilter);
    TarqScreenUpdater::install(qApp);
    QVERIFY(TarqScreenUpdater::g_pUpdateFilter);
    m_widget = std::make_unique<QWidget>();
    m_widget->resize(200, 200);
    m_widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
}

void TarqScreenUpdaterTest::installingTwiceKeepsOneUpdater()
{
    TarqScreenUpdater* const first = TarqScreenUpdater::g_pUpdateFilter;
    TarqScreenUpdater::install(qApp);
    QCOMPARE(TarqScreenUpdater::g_pUpdateFilter, first);
    // One updater on the application: one paint burst, one flush.
    settle();
    m_widget->repaint();
    QTRY_COMPARE(flushes(), 1);
    QTest::qWait(QUIET_MS);
    QCOMPARE(flushes(), 1);
}

void TarqScreenUpdaterTest::noPaintNoFlush()
{
    settle();
    QTest::qWait(QUIET_MS);
    QCOMPARE(flushes(), 0);
}

void TarqScreenUpdaterTest::otherEventsDoNotStartTimer_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("key press") << int(QEvent::KeyPress);
    QTest::newRow("key release") << int(QEvent::KeyRelease);
    QTest::newRow("mouse press") << int(QEvent::MouseButtonPress);
    QTest::newRow("timer") << int(QEvent::Timer);
}

namespace
{

// An event of `type` as the toolkit would deliver it.
std::unique_ptr<QEvent> makeEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return std::make_unique<QKeyEvent>(type, Qt::Key_Return, Qt::NoModifier);
    case QEvent::MouseButtonPress:
        return std::make_unique<QMouseEvent>(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                             Qt::LeftButton, Qt::NoModifier);
    case QEvent::Timer:
        return std::make_unique<QTimerEvent>(1);
    case QEvent::Paint:
        return std::make_unique<QPaintEvent>(QRect(0, 0, 10, 10));
    default:
        return std::make_unique<QEvent>(type);
    }
}

// Counts the events delivered to it, past the application's filters.
class EventCounter : public QObject
{
public:
    int received = 0;

    bool event(QEvent* /*event*/) override
    {
        ++received;
        return true;
    }
};

} // namespace

void TarqScreenUpdaterTest::otherEventsDoNotStartTimer()
{
    QFETCH(int, type);
    QObject target;
    settle();
    for (int i = 0; i < PAINTS; ++i) {
        const std::unique_ptr<QEvent> event = makeEvent(QEvent::Type(type));
        QCoreApplication::sendEvent(&target, event.get());
    }
    QTest::qWait(QUIET_MS);
    QCOMPARE(flushes(), 0);
}

void TarqScreenUpdaterTest::filterLetsEveryEventThrough_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("paint") << int(QEvent::Paint);
    QTest::newRow("update request") << int(QEvent::UpdateRequest);
    QTest::newRow("key press") << int(QEvent::KeyPress);
    QTest::newRow("mouse press") << int(QEvent::MouseButtonPress);
    QTest::newRow("timer") << int(QEvent::Timer);
}

void TarqScreenUpdaterTest::filterLetsEveryEventThrough()
{
    QFETCH(int, type);
    EventCounter target;
    const std::unique_ptr<QEvent> event = makeEvent(QEvent::Type(type));
    QCoreApplication::sendEvent(&target, event.get());
    QCOMPARE(target.received, 1);
}

void TarqScreenUpdaterTest::burstOfPaintsGivesOneFlush()
{
    for (int attempt = 0; attempt < BURST_TRIES; ++attempt) {
        settle();
        QElapsedTimer clock;
        clock.start();
        qint64 lastPaint = 0;
        bool stalled = false;
        for (int i = 0; i < BURST_PAINTS; ++i) {
            if (i > 0) {
                QTest::qWait(PAINT_GAP_MS);
                stalled = stalled || clock.elapsed() - lastPaint >= STALLED_GAP_MS;
            }
            // Read before the paint, so the delay measured is never shorter than the updater's.
            lastPaint = clock.elapsed();
            m_widget->repaint();
        }
        // A burst drawn out so long that the longest wait cuts it short proves nothing here.
        stalled = stalled || lastPaint + TarqScreenUpdater::REFRESH_DELAY_MS >
                                 TarqScreenUpdater::LONGEST_WAIT_MS - PAINT_GAP_MS;
        if (stalled)
            continue;
        QCOMPARE(flushes(), 0); // nothing while the paints keep coming

        const qint64 delay = nextFlushMs(clock) - lastPaint;
        QTest::qWait(QUIET_MS);
        QCOMPARE(flushes(), 1);
        QVERIFY2(delay >= TarqScreenUpdater::REFRESH_DELAY_MS, qPrintable(QString::number(delay)));
        qInfo("%d paints %d ms apart: %d flush, %lld ms after the last paint", BURST_PAINTS,
              PAINT_GAP_MS, flushes(), delay);

        const ScreenProxy::Flush& flush = ScreenProxy::instance().lastFlush();
        QCOMPARE(flush.widget, nullptr);
        QCOMPARE(flush.waveform, int(TarqScreenUpdater::PARTIAL_WAVEFORM));
        QCOMPARE(flush.flag, true);
        QCOMPARE(flush.waitMode, int(TarqScreenUpdater::WAIT_MODE));
        return;
    }
    QSKIP("the machine stalled in every burst");
}

void TarqScreenUpdaterTest::flushFollowsLastPaintAfterRefreshDelay_data()
{
    QTest::addColumn<int>("sample");
    for (int i = 1; i <= FLUSH_SAMPLES; ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i;
}

// The flush comes no sooner than the refresh delay after a paint and not much later. Prints the
// delay, so that a quiet run shows how closely it is kept.
void TarqScreenUpdaterTest::flushFollowsLastPaintAfterRefreshDelay()
{
    settle();
    QElapsedTimer clock;
    clock.start();
    m_widget->repaint();
    const qint64 delay = nextFlushMs(clock);
    QVERIFY(delay >= 0);
    qInfo("flush %lld ms after the paint", delay);
    QVERIFY2(delay >= TarqScreenUpdater::REFRESH_DELAY_MS, qPrintable(QString::number(delay)));
    QVERIFY2(delay <= LATEST_FLUSH_MS, qPrintable(QString::number(delay)));
}

void TarqScreenUpdaterTest::paintWaitsNoLongerThanTheLongestWait_data()
{
    QTest::addColumn<int>("sinceFirstMs"); // since the oldest paint not flushed yet
    QTest::addColumn<int>("delayMs");      // of the flush after a paint at that moment
    QTest::newRow("no paint before") << 0 << 200;
    QTest::newRow("the refresh delay still fits") << 400 << 200;
    QTest::newRow("it no longer fits") << 401 << 199;
    QTest::newRow("one short of the longest wait") << 599 << 1;
    QTest::newRow("the longest wait") << 600 << 0;
    QTest::newRow("far past it") << 5000 << 0;
}

// On a clock of the test's own: a paint that comes sinceFirstMs after the first one waits for
// the refresh delay or what is left of the longest wait, whichever is shorter.
void TarqScreenUpdaterTest::paintWaitsNoLongerThanTheLongestWait()
{
    QFETCH(int, sinceFirstMs);
    QFETCH(int, delayMs);
    qint64 now = 0;
    TarqScreenUpdater updater([&now] { return now; });
    QObject target;
    const std::unique_ptr<QEvent> paint = makeEvent(QEvent::Paint);
    QCOMPARE(updater.pendingDelayMs(), -1);
    updater.eventFilter(&target, paint.get());
    now = sinceFirstMs;
    updater.eventFilter(&target, paint.get());
    QCOMPARE(updater.pendingDelayMs(), delayMs);
}

// On a clock of the test's own, a held arrow key paints every 40 ms: each flush comes the longest
// wait after the first paint it shows, and the next paint starts a new wait.
void TarqScreenUpdaterTest::heldKeyIsShownWhileItRepeats()
{
    qint64 now = 0;
    TarqScreenUpdater updater([&now] { return now; });
    QObject target;
    const std::unique_ptr<QEvent> paint = makeEvent(QEvent::Paint);
    settle();
    QList<qint64> flushedAt;
    for (int step = 0; step < KEY_REPEATS; ++step) {
        now = qint64(step) * KEY_REPEAT_MS;
        updater.eventFilter(&target, paint.get());
        if (updater.pendingDelayMs() == 0) {
            QTRY_COMPARE(flushes(), int(flushedAt.size()) + 1);
            flushedAt << now;
        }
    }
    // Paints at 0, 40 .. 600 flushed at 600; at 640 .. 1240 flushed at 1240.
    QCOMPARE(flushedAt, (QList<qint64>{600, 1240}));
}

void TarqScreenUpdaterTest::updateRequestStartsTimer()
{
    QObject target;
    settle();
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&target, &request);
    QTRY_COMPARE(flushes(), 1);
}

void TarqScreenUpdaterTest::fullUpdateUsesFullWaveform()
{
    settle();
    TarqScreenUpdater::g_pUpdateFilter->fullUpdate();
    QCOMPARE(flushes(), 1);
    QCOMPARE(ScreenProxy::instance().lastFlush().waveform, int(TarqScreenUpdater::FULL_WAVEFORM));
    QCOMPARE(ScreenProxy::instance().lastFlush().widget, nullptr);
}

QTEST_MAIN(TarqScreenUpdaterTest)
#include "tarqscreenupdater_test.moc"
