// The moves dialog: the last row in view, scrolling by a row and by a page with the device's keys
// on the list and on the button, and the keys that close it.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

#include "movesdlg.h"

namespace
{

constexpr int MANY_ROWS = 300; // more than two pages

// A key press and release as the device sends them. (QTest::keyClick cannot spell every key,
// Select among them.)
void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

QStringList rows(int count)
{
    QStringList result;
    for (int i = 1; i <= count; ++i)
        result << QStringLiteral("%1. c3-d4  f6-g5").arg(i);
    return result;
}

} // namespace

class MovesDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void opensWithTheLastRowInView_data();
    void opensWithTheLastRowInView();
    void aPageIsTheWholeRowsInView();
    void keysScrollByARowAndAPage_data();
    void keysScrollByARowAndAPage();
    void keysClose_data();
    void keysClose();

private:
    void open(int count);
    QListWidget* list() const { return m_dialog->findChild<QListWidget*>("lstMoves"); }
    QWidget* control(bool button) const
    {
        return button ? static_cast<QWidget*>(m_dialog->findChild<QPushButton*>("btnClose"))
                      : list();
    }
    // Whether row `row` is in view from its top to its bottom.
    bool wholeInView(int row) const
    {
        return list()->viewport()->rect().contains(list()->visualItemRect(list()->item(row)));
    }

    std::unique_ptr<MovesDlg> m_dialog;
};

void MovesDlgTest::cleanup()
{
    m_dialog.reset();
}

void MovesDlgTest::open(int count)
{
    m_dialog = std::make_unique<MovesDlg>(nullptr, rows(count));
    m_dialog->show();
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QVERIFY(list()->hasFocus());
}

void MovesDlgTest::opensWithTheLastRowInView_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("no move") << 0;
    QTest::newRow("one row") << 1;
    QTest::newRow("many rows") << MANY_ROWS;
}

void MovesDlgTest::opensWithTheLastRowInView()
{
    QFETCH(int, count);
    open(count);
    QCOMPARE(list()->count(), count);
    QCOMPARE(m_dialog->firstVisibleRow(), std::max(0, count - m_dialog->rowsPerPage()));
    if (count > 0)
        QVERIFY(wholeInView(count - 1));
    QCOMPARE(list()->currentRow(), -1); // no row drawn highlighted
}

// A page is every row wholly in view, so that turning it shows the next row first.
void MovesDlgTest::aPageIsTheWholeRowsInView()
{
    open(MANY_ROWS);
    list()->verticalScrollBar()->setValue(0);
    const int page = m_dialog->rowsPerPage();
    QVERIFY(page > 1);
    QVERIFY(wholeInView(page - 1));
    QVERIFY(!wholeInView(page));
}

void MovesDlgTest::keysScrollByARowAndAPage_data()
{
    QTest::addColumn<bool>("fromTop");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<int>("rows");  // rows the view moves down
    QTest::addColumn<int>("pages"); // and pages
    QTest::newRow("Up") << false << int(Qt::Key_Up) << false << -1 << 0;
    QTest::newRow("PageUp") << false << int(Qt::Key_PageUp) << false << 0 << -1;
    QTest::newRow("Down") << true << int(Qt::Key_Down) << false << 1 << 0;
    QTest::newRow("PageDown") << true << int(Qt::Key_PageDown) << false << 0 << 1;
    QTest::newRow("Up on the button") << false << int(Qt::Key_Up) << true << -1 << 0;
    QTest::newRow("PageDown on the button") << true << int(Qt::Key_PageDown) << true << 0 << 1;
    QTest::newRow("Down at the end") << false << int(Qt::Key_Down) << false << 0 << 0;
    QTest::newRow("PageUp at the top") << true << int(Qt::Key_PageUp) << false << 0 << 0;
}

void MovesDlgTest::keysScrollByARowAndAPage()
{
    QFETCH(bool, fromTop);
    QFETCH(int, key);
    QFETCH(bool, onButton);
    QFETCH(int, rows);
    QFETCH(int, pages);
    open(MANY_ROWS);
    if (fromTop)
        list()->verticalScrollBar()->setValue(0);
    control(onButton)->setFocus(Qt::TabFocusReason);
    const int first = m_dialog->firstVisibleRow();
    const int last = MANY_ROWS - m_dialog->rowsPerPage(); // the first row in view at the end
    QCOMPARE(first, fromTop ? 0 : last);
    pressKey(control(onButton), key);
    // At once: no animation, no smooth scrolling.
    QCOMPARE(m_dialog->firstVisibleRow(),
             qBound(0, first + rows + pages * m_dialog->rowsPerPage(), last));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(list()->currentRow(), -1);
}

void MovesDlgTest::keysClose_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<int>("result");
    QTest::newRow("Return") << int(Qt::Key_Return) << false << int(QDialog::Accepted);
    QTest::newRow("Select") << int(Qt::Key_Select) << false << int(QDialog::Accepted);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false << int(QDialog::Rejected);
    QTest::newRow("Return on Close") << int(Qt::Key_Return) << true << int(QDialog::Accepted);
    QTest::newRow("Escape on Close") << int(Qt::Key_Escape) << true << int(QDialog::Rejected);
}

void MovesDlgTest::keysClose()
{
    QFETCH(int, key);
    QFETCH(bool, onButton);
    QFETCH(int, result);
    open(MANY_ROWS);
    m_dialog->setResult(-1);
    control(onButton)->setFocus(Qt::TabFocusReason);
    pressKey(control(onButton), key);
    // Return on the button comes back from the key filter as Space, a little later.
    QTRY_VERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), result);
}

QTEST_MAIN(MovesDlgTest)
#include "movesdlg_test.moc"
