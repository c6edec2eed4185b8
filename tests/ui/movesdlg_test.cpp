// The moves dialog: it opens on its last page, and the device's keys, on the list or on the
// button, scroll it by a row or by the whole rows in view at once, or close it.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "movesdlg.h"

namespace
{

constexpr int MANY_ROWS = 300; // more than two pages
constexpr int OPEN = -1;
constexpr int DIALOG_WIDTH = 400;
constexpr int DIALOG_HEIGHT = 500;
constexpr int ROW_HEIGHTS = 40; // more extra heights than a row is high: every part-row

} // namespace

class MovesDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void rowsInViewAreWholeAtAnyHeight();
};

void MovesDlgTest::keys_data()
{
    QTest::addColumn<bool>("fromTop");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<int>("rows");   // rows the view moves down
    QTest::addColumn<int>("pages");  // and pages
    QTest::addColumn<int>("result"); // OPEN, or how the dialog closed
    QTest::newRow("Up") << false << int(Qt::Key_Up) << false << -1 << 0 << OPEN;
    QTest::newRow("PageUp") << false << int(Qt::Key_PageUp) << false << 0 << -1 << OPEN;
    QTest::newRow("Down") << true << int(Qt::Key_Down) << false << 1 << 0 << OPEN;
    QTest::newRow("PageDown") << true << int(Qt::Key_PageDown) << false << 0 << 1 << OPEN;
    QTest::newRow("Up on the button") << false << int(Qt::Key_Up) << true << -1 << 0 << OPEN;
    QTest::newRow("PageDown on the button")
        << true << int(Qt::Key_PageDown) << true << 0 << 1 << OPEN;
    QTest::newRow("Down at the end") << false << int(Qt::Key_Down) << false << 0 << 0 << OPEN;
    QTest::newRow("Home") << false << int(Qt::Key_Home) << false << -MANY_ROWS << 0 << OPEN;
    QTest::newRow("End") << true << int(Qt::Key_End) << false << MANY_ROWS << 0 << OPEN;
    QTest::newRow("End on the button")
        << true << int(Qt::Key_End) << true << MANY_ROWS << 0 << OPEN;
    QTest::newRow("Return") << false << int(Qt::Key_Return) << false << 0 << 0
                            << int(QDialog::Accepted);
    QTest::newRow("Select") << false << int(Qt::Key_Select) << false << 0 << 0
                            << int(QDialog::Accepted);
    QTest::newRow("Escape") << false << int(Qt::Key_Escape) << false << 0 << 0
                            << int(QDialog::Rejected);
    QTest::newRow("Return on Close")
        << false << int(Qt::Key_Return) << true << 0 << 0 << int(QDialog::Accepted);
}

void MovesDlgTest::keys()
{
    QFETCH(bool, fromTop);
    QFETCH(int, key);
    QFETCH(bool, onButton);
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, result);
    QStringList texts;
    for (int i = 1; i <= MANY_ROWS; ++i)
        texts << QStringLiteral("%1. c3-d4  f6-g5").arg(i);
    MovesDlg dialog(nullptr, texts);
    dialog.setResult(OPEN);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstMoves"));
    QVERIFY(list->hasFocus());
    // The last page: its rows are every row the list shows whole.
    const int page = dialog.rowsPerPage();
    const int last = MANY_ROWS - page;
    QCOMPARE(dialog.firstVisibleRow(), last);
    QCOMPARE(list->verticalScrollBar()->maximum(), last);
    if (fromTop)
        list->verticalScrollBar()->setValue(0);

    const int first = dialog.firstVisibleRow();
    QWidget* control = onButton ? dialog.findChild<QPushButton*>(QStringLiteral("btnClose"))
                                : static_cast<QWidget*>(list);
    control->setFocus(Qt::TabFocusReason);
    // As the device sends it; QTest::keyClick cannot spell Select under Qt 5.
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(control, &release);
    if (result == OPEN) {
        // At once: no animation, no smooth scrolling, and no row drawn highlighted.
        QCOMPARE(dialog.firstVisibleRow(), qBound(0, first + rows + pages * page, last));
        QVERIFY(dialog.isVisible());
        QCOMPARE(list->currentRow(), -1);
    } else {
        // Return on the button comes back from the key filter as Space, a little later.
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
    }
}

// Whatever height the dialog gets, the view holds whole rows only: at the end, and a page up,
// the bottom row in view is whole and the next one wholly out of view.
void MovesDlgTest::rowsInViewAreWholeAtAnyHeight()
{
    QStringList texts;
    for (int i = 1; i <= MANY_ROWS; ++i)
        texts << QStringLiteral("%1. c3-d4  f6-g5").arg(i);
    for (int extra = 0; extra < ROW_HEIGHTS; ++extra) {
        MovesDlg dialog(nullptr, texts);
        dialog.resize(DIALOG_WIDTH, DIALOG_HEIGHT + extra);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstMoves"));
        for (int key : {int(Qt::Key_End), int(Qt::Key_PageUp)}) {
            QTest::keyClick(list, Qt::Key(key));
            const int bottom = dialog.firstVisibleRow() + dialog.rowsPerPage() - 1;
            const QRect view = list->viewport()->rect();
            QVERIFY2(view.contains(list->visualItemRect(list->item(bottom))),
                     qPrintable(QString::number(extra)));
            if (bottom + 1 < MANY_ROWS)
                QVERIFY(!view.intersects(list->visualItemRect(list->item(bottom + 1))));
        }
    }
}

QTEST_MAIN(MovesDlgTest)
#include "movesdlg_test.moc"
