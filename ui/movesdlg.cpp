#include "movesdlg.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

#include "tarqkeyeventfilter.h"

namespace
{

// The control with the keyboard focus carries the main window's 3-pixel black border. The list's
// frame is 3 pixels wide either way, a thin line and white inside it without the focus, so that
// its rows keep their place when the focus comes and goes.
const char FOCUS_STYLE[] =
    "QListWidget { border: 1px solid black; padding: 2px; background: white; }"
    " QListWidget:focus { border: 3px solid black; padding: 0px; }"
    " QPushButton:focus { border: 3px solid black; }";

} // namespace

MovesDlg::MovesDlg(QWidget* parent, const QStringList& rows) : QDialog(parent)
{
    setupUi(this);
    lstMoves->addItems(rows);
    // No row is current, so that none is drawn highlighted: the keys scroll the view instead.
    lstMoves->setCurrentIndex(QModelIndex());
    for (QWidget* control : {static_cast<QWidget*>(lstMoves), static_cast<QWidget*>(btnClose)})
        TarqKeyEventFilter::install(control);
    // Both controls would keep some of the keys to themselves: the list moves its current row,
    // the button takes Up.
    lstMoves->installEventFilter(this);
    btnClose->installEventFilter(this);
    setStyleSheet(QLatin1String(FOCUS_STYLE));
    lstMoves->setFocus(Qt::OtherFocusReason);
}

int MovesDlg::firstVisibleRow() const
{
    // Scrolled by rows, the scroll bar counts the rows above the view.
    return lstMoves->verticalScrollBar()->value();
}

int MovesDlg::rowsPerPage() const
{
    const int rowHeight = lstMoves->sizeHintForRow(0);
    if (rowHeight <= 0)
        return 1;
    return std::max(1, lstMoves->viewport()->height() / rowHeight);
}

void MovesDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The list knows its height only once it is laid out for the screen.
    fitWholeRows();
    lstMoves->scrollToBottom();
}

void MovesDlg::fitWholeRows()
{
    const int rowHeight = lstMoves->sizeHintForRow(0);
    if (rowHeight <= 0)
        return;
    // Scrolled by rows, a view one part-row taller than its whole rows shows the row at its
    // bottom cut; the list gives that part-row up to the space above the button.
    const int partRow = lstMoves->viewport()->height() % rowHeight;
    if (partRow == 0)
        return;
    lstMoves->setFixedHeight(lstMoves->height() - partRow);
    layout()->activate();
}

bool MovesDlg::scroll(int key)
{
    QScrollBar* const bar = lstMoves->verticalScrollBar();
    switch (key) {
    case Qt::Key_Up:
        bar->setValue(bar->value() - 1);
        return true;
    case Qt::Key_Down:
        bar->setValue(bar->value() + 1);
        return true;
    case Qt::Key_PageUp:
        bar->setValue(bar->value() - rowsPerPage());
        return true;
    case Qt::Key_PageDown:
        bar->setValue(bar->value() + rowsPerPage());
        return true;
    case Qt::Key_Home:
        bar->setValue(bar->minimum());
        return true;
    case Qt::Key_End:
        bar->setValue(bar->maximum());
        return true;
    default:
        return false;
    }
}

bool MovesDlg::closes(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
}

bool MovesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || (watched != lstMoves && watched != btnClose))
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (scroll(key))
        return true;
    // Return on the button is left to the key filter, which makes it press the button.
    if (watched == lstMoves && closes(key)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MovesDlg::keyPressEvent(QKeyEvent* event)
{
    if (closes(event->key()))
        accept();
    else
        QDialog::keyPressEvent(event); // Escape rejects
}
