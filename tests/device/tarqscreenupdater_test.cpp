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
constexpr int PAINT_GAP_MS = 50;
// A gap this long between two paints means the machine stalled; the burst is tried again.
constexpr int STALLED_GAP_MS = 150;
constexpr int BURST_TRIES = 5;
constexpr int POLL_MS = 2;
constexpr int QUIET_MS = 600;
// QTimer's coarse timers may fire up to 5 % early, and the clock is read just after the paint
// that restarted the timer.
constexpr int EARLIEST_FLUSH_MS = TarqScreenUpdater::REFRESH_DELAY_MS * 9 / 10;

int flushes()
{
    return ScreenProxy::instance().flushCount();
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
    QObject target;
    const std::unique_ptr<QEvent> event = makeEvent(QEvent::Type(type));
    QVERIFY(!TarqScreenUpdater::g_pUpdateFilter->eventFilter(&target, event.get()));
}

void TarqScreenUpdaterTest::burstOfPaintsGivesOneFlush()
{
    for (int attempt = 0; attempt < BURST_TRIES; ++attempt) {
        settle();
        QElapsedTimer clock;
        clock.start();
        qint64 lastPaint = 0;
        bool stalled = false;
        for (int i = 0; i < PAINTS; ++i) {
            if (i > 0) {
                QTest::qWait(PAINT_GAP_MS);
                stalled = stalled || clock.elapsed() - lastPaint >= STALLED_GAP_MS;
            }
            m_widget->repaint();
            lastPaint = clock.elapsed();
        }
        if (stalled)
            continue;
        QCOMPARE(flushes(), 0); // nothing while the paints keep coming

        while (flushes() == 0 && clock.elapsed() - lastPaint < QUIET_MS * 5)
            QTest::qWait(POLL_MS);
        const qint64 delay = clock.elapsed() - lastPaint;
        QTest::qWait(QUIET_MS);
        QCOMPARE(flushes(), 1);
        QVERIFY2(delay >= EARLIEST_FLUSH_MS, qPrintable(QString::number(delay)));
        qInfo("%d paints %d ms apart: %d flush, %lld ms after the last paint", PAINTS, PAINT_GAP_MS,
              flushes(), delay);

        const ScreenProxy::Flush& flush = ScreenProxy::instance().lastFlush();
        QCOMPARE(flush.widget, nullptr);
        QCOMPARE(flush.waveform, int(TarqScreenUpdater::PARTIAL_WAVEFORM));
        QCOMPARE(flush.flag, true);
        QCOMPARE(flush.waitMode, int(TarqScreenUpdater::WAIT_MODE));
        return;
    }
    QSKIP("the machine stalled in every burst");
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
