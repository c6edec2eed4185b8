#include "gamesdlg.h"

#include <QKeyEvent>
#include <QLayout>
#include <QShowEvent>
#include <QStringList>

#include <algorithm>
#include <utility>

#include "gamelistmodel.h"
#include "tarqkeyeventfilter.h"

namespace
{

// The focused row carries the 3-pixel black frame of every focused control; the others are
// plain black on white, legible at 16 greys.
const char STYLE[] =
    "QListView { border: 1px solid black; background: white; color: black; }"
    " QListView::item { border: 3px solid white; color: black; background: white; }"
    " QListView::item:selected { border: 3px solid black; color: black; background: white; }"
    " QPushButton:focus { border: 3px solid black; }";

} // namespace

GamesDlg::GamesDlg(QWidget* parent, GameList list, const std::string& archive) : QDialog(parent)
{
    setupUi(this);
    m_model = new GameListModel(this, std::move(list), archive);
    lstGames->setModel(m_model);
    for (QWidget* control : {static_cast<QWidget*>(lstGames), static_cast<QWidget*>(btnClose)})
        TarqKeyEventFilter::install(control);
    lstGames->installEventFilter(this);
    setStyleSheet(QLatin1String(STYLE));
    // Under the list: that there is nothing to list, and every file that could not be read.
    QStringList notes;
    if (m_model->rowCount() == 0)
        notes << tr("No games yet: every game played is kept here");
    else
        lstGames->setCurrentIndex(m_model->index(0));
    for (const std::string& problem : m_model->list().problems())
        notes << QString::fromStdString(problem);
    lblStatus->setText(notes.join(QLatin1Char('\n')));
    lstGames->setFocus(Qt::OtherFocusReason);
    if (parent)
        setGeometry(parent->window()->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
}

int GamesDlg::currentRow() const
{
    return lstGames->currentIndex().isValid() ? lstGames->currentIndex().row() : -1;
}

int GamesDlg::rowsPerPage() const
{
    const int rowHeight = lstGames->sizeHintForRow(0);
    if (rowHeight <= 0)
        return 1;
    return std::max(1, lstGames->viewport()->height() / rowHeight);
}

void GamesDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The list knows its height only once it is laid out for the screen; scrolled by rows, a
    // view a part-row taller than its whole rows shows its last row cut, so it gives that
    // part-row up to the space above the button.
    const int rowHeight = lstGames->sizeHintForRow(0);
    if (rowHeight <= 0)
        return;
    const int partRow = lstGames->viewport()->height() % rowHeight;
    if (partRow == 0)
        return;
    lstGames->setFixedHeight(lstGames->height() - partRow);
    layout()->activate();
}

bool GamesDlg::move(int key)
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return false;
    int row = std::max(0, currentRow());
    switch (key) {
    case Qt::Key_Up:
        row -= 1;
        break;
    case Qt::Key_Down:
        row += 1;
        break;
    case Qt::Key_PageUp:
        row -= rowsPerPage();
        break;
    case Qt::Key_PageDown:
        row += rowsPerPage();
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = rows - 1;
        break;
    default:
        return false;
    }
    row = std::clamp(row, 0, rows - 1);
    lstGames->setCurrentIndex(m_model->index(row));
    lstGames->scrollTo(m_model->index(row));
    return true;
}

void GamesDlg::openCurrent()
{
    const int row = currentRow();
    if (row < 0)
        return;
    GameList::Opened opened = m_model->open(row);
    if (!opened.game) {
        lblStatus->setText(
            tr("This game cannot be replayed: %1").arg(QString::fromStdString(opened.problem)));
        return;
    }
    m_chosen = std::move(opened.game);
    accept();
}

bool GamesDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != lstGames || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (move(key->key()))
        return true;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
        key->key() == Qt::Key_Select) {
        if (!key->isAutoRepeat())
            openCurrent();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void GamesDlg::keyPressEvent(QKeyEvent* event)
{
    if (!move(event->key()))
        QDialog::keyPressEvent(event); // Escape rejects
}
