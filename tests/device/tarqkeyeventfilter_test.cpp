#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

#include "tarqkeyeventfilter.h"

namespace
{

// A push button of a class of its own: the filter must leave it alone.
class OwnButton : public QPushButton
{
    Q_OBJECT
};

// What a control received: the key events with everything the filter must carry over.
struct ReceivedKey {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool autoRepeat;
    int count;
};

// Records the key events that reach the control. Installed before the key filter, so that it
// runs after it and sees only what the filter lets through or posts.
class KeyRecorder : public QObject
{
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            received.push_back({key->type(), key->key(), key->modifiers(), key->text(),
                                key->isAutoRepeat(), key->count()});
        }
        return false;
    }

    std::vector<ReceivedKey> received;
};

// Records the shortcut checks and mouse presses that reach the control, past the key filter.
class EventRecorder : public QObject
{
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            types.push_back(event->type());
            shortcutKeys.push_back(static_cast<QKeyEvent*>(event)->key());
        } else if (event->type() == QEvent::MouseButtonPress) {
            types.push_back(event->type());
        }
        return false;
    }

    std::vector<QEvent::Type> types;
    std::vector<int> shortcutKeys;
};

std::unique_ptr<QWidget> makeControl(const QString& className)
{
    if (className == QLatin1String("QComboBox"))
        return std::make_unique<QComboBox>();
    if (className == QLatin1String("QPushButton"))
        return std::make_unique<QPushButton>();
    if (className == QLatin1String("QCheckBox"))
        return std::make_unique<QCheckBox>();
    if (className == QLatin1String("QLabel"))
        return std::make_unique<QLabel>();
    return std::make_unique<OwnButton>();
}

} // namespace

// The device key translation: which keys on which controls are replaced, and that the
// replacement keeps everything else of the event.
class TarqKeyEventFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void installingTwiceKeepsOneFilter();
    void translationTable_data();
    void translationTable();
    void replacementKeepsModifiersTextAndRepeat();
    void otherEventsPassUnchanged();
    void returnClicksButtonOnce();
};

void TarqKeyEventFilterTest::installingTwiceKeepsOneFilter()
{
    QPushButton first;
    QPushButton second;
    TarqKeyEventFilter::install(&first);
    TarqKeyEventFilter* const filter = TarqKeyEventFilter::g_pKeyEventFilter;
    QVERIFY(filter);
    TarqKeyEventFilter::install(&second);
    QCOMPARE(TarqKeyEventFilter::g_pKeyEventFilter, filter);
}

void TarqKeyEventFilterTest::translationTable_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");

    QTest::newRow("Up on combo box") << "QComboBox" << int(Qt::Key_Up) << int(Qt::Key_Backtab);
    QTest::newRow("Down on combo box") << "QComboBox" << int(Qt::Key_Down) << int(Qt::Key_Tab);
    QTest::newRow("Return on combo box")
        << "QComboBox" << int(Qt::Key_Return) << int(Qt::Key_Space);
    QTest::newRow("Return on push button")
        << "QPushButton" << int(Qt::Key_Return) << int(Qt::Key_Space);
    QTest::newRow("Return on check box")
        << "QCheckBox" << int(Qt::Key_Return) << int(Qt::Key_Space);

    QTest::newRow("Up on push button") << "QPushButton" << int(Qt::Key_Up) << int(Qt::Key_Up);
    QTest::newRow("Down on check box") << "QCheckBox" << int(Qt::Key_Down) << int(Qt::Key_Down);
    QTest::newRow("Left on combo box") << "QComboBox" << int(Qt::Key_Left) << int(Qt::Key_Left);
    QTest::newRow("Right on push button")
        << "QPushButton" << int(Qt::Key_Right) << int(Qt::Key_Right);
    QTest::newRow("Enter on push button")
        << "QPushButton" << int(Qt::Key_Enter) << int(Qt::Key_Enter);
    QTest::newRow("Enter on combo box") << "QComboBox" << int(Qt::Key_Enter) << int(Qt::Key_Enter);
    QTest::newRow("Return on label") << "QLabel" << int(Qt::Key_Return) << int(Qt::Key_Return);
    QTest::newRow("Return on subclass of push button")
        << "OwnButton" << int(Qt::Key_Return) << int(Qt::Key_Return);
    QTest::newRow("Space on push button")
        << "QPushButton" << int(Qt::Key_Space) << int(Qt::Key_Space);
    QTest::newRow("Tab on combo box") << "QComboBox" << int(Qt::Key_Tab) << int(Qt::Key_Tab);
}

void TarqKeyEventFilterTest::translationTable()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(int, expected);

    const std::unique_ptr<QWidget> widget = makeControl(control);
    KeyRecorder recorder;
    widget->installEventFilter(&recorder);
    TarqKeyEventFilter::install(widget.get());

    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget.get(), &event);
    }
    QCoreApplication::processEvents();

    // Press and release each reach the control once, with the expected key, in order; the
    // posted replacements pass the filter again without being changed.
    QCOMPARE(recorder.received.size(), std::size_t(2));
    QCOMPARE(recorder.received[0].type, QEvent::KeyPress);
    QCOMPARE(recorder.received[1].type, QEvent::KeyRelease);
    for (const ReceivedKey& received : recorder.received)
        QCOMPARE(received.key, expected);
}

void TarqKeyEventFilterTest::replacementKeepsModifiersTextAndRepeat()
{
    QCheckBox box;
    KeyRecorder recorder;
    box.installEventFilter(&recorder);
    TarqKeyEventFilter::install(&box);

    const int count = 3;
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Return, Qt::ShiftModifier, QStringLiteral("\r"), true,
                    count);
    QCoreApplication::sendEvent(&box, &event);
    QVERIFY(recorder.received.empty()); // the replacement is posted, not sent
    QCoreApplication::processEvents();

    QCOMPARE(recorder.received.size(), std::size_t(1));
    const ReceivedKey& received = recorder.received.front();
    QCOMPARE(received.type, QEvent::KeyPress);
    QCOMPARE(received.key, int(Qt::Key_Space));
    QCOMPARE(received.modifiers, Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(received.text, QStringLiteral("\r"));
    QCOMPARE(received.autoRepeat, true);
    QCOMPARE(received.count, count);
}

void TarqKeyEventFilterTest::otherEventsPassUnchanged()
{
    // A shortcut check of Return is a key event, but not a press or release: it stays Return.
    QComboBox box;
    EventRecorder recorder;
    box.installEventFilter(&recorder);
    TarqKeyEventFilter::install(&box);
    QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &shortcut);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &press);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.types,
             (std::vector<QEvent::Type>{QEvent::ShortcutOverride, QEvent::MouseButtonPress}));
    QCOMPARE(recorder.shortcutKeys, std::vector<int>{Qt::Key_Return});
}

void TarqKeyEventFilterTest::returnClicksButtonOnce()
{
    QPushButton button(QStringLiteral("New"));
    TarqKeyEventFilter::install(&button);
    QSignalSpy clicked(&button, SIGNAL(clicked()));
    QTest::keyClick(&button, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 1);

    // Without the filter a lone push button does not react to Return.
    QPushButton plain(QStringLiteral("Undo"));
    QSignalSpy plainClicked(&plain, SIGNAL(clicked()));
    QTest::keyClick(&plain, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(plainClicked.count(), 0);
}

QTEST_MAIN(TarqKeyEventFilterTest)
#include "tarqkeyeventfilter_test.moc"
