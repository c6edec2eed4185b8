#include "widget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>

#include <iterator>

#include "game/gamearchive.h"
#include "game/gamelist.h"
#include "game/movelist.h"
#include "gamesdlg.h"
#include "movesdlg.h"
#include "puzzledlg.h"
#include "replaydlg.h"
#include "settingsdlg.h"
#include "settingskeys.h"
#include "statusline.h"
#include "tarqkeyeventfilter.h"
#include "textprovider.h"

namespace
{

const char SETTINGS_FILE[] = "/checkers.ini";
const char GAME_FILE[] = "/checkers.pdn";
// Where a reader's owner copies collections of games to look at.
const char COLLECTIONS_FOLDER[] = "/games";
// The puzzle books and what has been solved of them.
const char PUZZLES_FOLDER[] = "/puzzles";
const char PUZZLES_PROGRESS[] = "/puzzles.progress";
const char FOCUS_STYLE[] = "QPushButton::focus { border: 3px solid black; }";
// A held key repeats as a release and a press with the same time stamp, which may reach the
// window apart: the release of Escape closes the window only when no such press follows this
// soon. Far below what a person notices, far above the time between the two halves.
constexpr int ESCAPE_REPEAT_WAIT_MS = 50;

// Rule-set codes by the stored "rules" index: Russian, English.
const int g_rules[] = {25, 21};
// The computer's search by the stored "level" index: Beginner .. Master search so many plies;
// Grandmaster searches as deep as its move time allows (and, should its tables not fit in
// memory, as deep as Master).
struct Skill {
    int plies;
    int moveTime; // milliseconds; 0: the fixed depth
};
const Skill g_skills[] = {
    {2, 0}, {4, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {9, Checkers::GRANDMASTER_MS}};

} // namespace

Widget::Widget()
    : m_settings(QCoreApplication::applicationDirPath() + QLatin1String(SETTINGS_FILE),
                 QSettings::IniFormat)
{
    setupUi(this);
    // The status line keeps the height of its longest text, two lines, whatever it says: a
    // change of text never moves the board, which would cost the panel a full refresh.
    lblStatus->setWordWrap(true);
    lblStatus->setFixedHeight(StatusLine::height(lblStatus->fontMetrics()) +
                              2 * lblStatus->margin());
    connect(board, &QtBoard::statusChanged, lblStatus, &QLabel::setText);
    connect(board, &QtBoard::statusFlushRequested, lblStatus, [this] { lblStatus->repaint(); });
    onApplyConfig();
    // The game kept beside the program goes on where it was left; otherwise a new one starts.
    const QString gameFile = QCoreApplication::applicationDirPath() + QLatin1String(GAME_FILE);
    if (!board->keepGameIn(QFile::encodeName(gameFile).toStdString()))
        board->newGame();
    lblStatus->setText(board->statusText());
    connect(board, &QtBoard::reviewRequested, this, &Widget::onReview, Qt::QueuedConnection);
    for (QPushButton* button :
         {btnNew, btnUndo, btnHint, btnMoves, btnGames, btnSettings, btnPuzzles, btnClose})
        TarqKeyEventFilter::install(button);
    // A style sheet set over the form's own one leaves the buttons polished by the old one, and
    // the focus border never shows; clearing it first makes the toolkit polish them afresh.
    setStyleSheet(QString());
    setStyleSheet(QLatin1String(FOCUS_STYLE));
    board->setFocus(Qt::OtherFocusReason);

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(ESCAPE_REPEAT_WAIT_MS);
    connect(&m_closeTimer, &QTimer::timeout, this, [this] {
        m_escapePressed = false;
        close();
    });
    qApp->installEventFilter(this);
}

Widget::~Widget()
{
    qApp->removeEventFilter(this);
}

void Widget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        // Taking moves back and starting afresh destroy: once per press.
        if (isRepeat(*event))
            break;
        if (event->modifiers() & Qt::ShiftModifier)
            onRedo();
        else
            onUndo();
        break;
    case Qt::Key_PageDown:
        if (!isRepeat(*event))
            onNewGame();
        break;
    case Qt::Key_Menu:
    case Qt::Key_M:
        toggleFocus();
        break;
    case Qt::Key_Escape:
        // Held down, Escape repeats its press, also after a dialog it closed is gone: only the
        // first press counts, and only when the window had it. A repeat shows the key is still
        // down, so a release just before it was not the last.
        board->stopThinking();
        if (isRepeat(*event)) {
            m_closeTimer.stop();
        } else {
            // Where no window manager hands the activation back, no window may be active yet
            // while this one takes it back; a key that reaches it then is its own.
            m_escapePressed = isActiveWindow() ||
                              (!QApplication::activeWindow() && !QApplication::activeModalWidget());
        }
        break;
    default:
        break;
    }
}

void Widget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return;
    if (!event->isAutoRepeat() && m_escapePressed)
        m_closeTimer.start();
}

bool Widget::clicksButton(const QObject* watched, const QEvent* event) const
{
    const auto* button = qobject_cast<const QAbstractButton*>(watched);
    if (button == nullptr || button->window() != this)
        return false;
    switch (static_cast<const QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        return true;
    default:
        return false;
    }
}

bool Widget::isRepeat(const QKeyEvent& press) const
{
    // Qt may leave the repeat flag unset on the press of a release/press pair; its time stamp,
    // the release's own, still tells it.
    return press.isAutoRepeat() || (press.timestamp() != 0 && press.key() == m_releasedKey &&
                                    press.timestamp() == m_releasedAt);
}

void Widget::changeEvent(QEvent* event)
{
    // A dialog or message box opening between the press and the release takes the activation;
    // the release then belongs to whatever closed it.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        m_escapePressed = false;
    QWidget::changeEvent(event);
}

bool Widget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        // Only the window system's own events tell a repeat: a key the program posts in place of
        // another (Return turned Space on a button) has no time stamp.
        const auto* release = static_cast<const QKeyEvent*>(event);
        if (release->timestamp() != 0) {
            m_releasedKey = release->key();
            m_releasedAt = release->timestamp();
        }
    } else if (event->type() == QEvent::KeyPress && clicksButton(watched, event)) {
        // A button clicks on the release that follows a press: a repeat's press would make the
        // release of the next pair click it again.
        if (isRepeat(*static_cast<const QKeyEvent*>(event)))
            return true;
    }
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType()) {
        const auto* hidden = static_cast<const QWidget*>(watched);
        // After the code that opened the modal window has had its say (accepted settings give
        // the board the focus).
        if (hidden->isWindow() && hidden->isModal())
            QTimer::singleShot(0, this, &Widget::takeActivationBack);
    }
    return QWidget::eventFilter(watched, event);
}

void Widget::takeActivationBack()
{
    if (!isVisible() || QApplication::activeModalWidget())
        return;
    // Activation gives the focus back to the child that had it last.
    raise();
    activateWindow();
}

void Widget::onNewGame()
{
    board->newGame();
    update();
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onSettings()
{
    board->stopThinking();
    const QList<int> before = storedSettings();
    SettingsDlg dialog(this, &m_settings);
    if (dialog.exec() != QDialog::Rejected && storedSettings() != before) {
        onApplyConfig();
        onNewGame();
    }
    board->setFocus(Qt::MouseFocusReason);
}

QList<int> Widget::storedSettings() const
{
    // As numbers: the file gives text, the dialog stores numbers.
    QList<int> values;
    for (const char* key : {SettingsKeys::RULES, SettingsKeys::LEVEL, SettingsKeys::FIRST_MOVE,
                            SettingsKeys::SECOND_PLAYER})
        values << m_settings.value(QLatin1String(key), 0).toInt();
    return values;
}

void Widget::onApplyConfig()
{
    const int rules = storedIndex(SettingsKeys::RULES, std::size(g_rules));
    board->rules = g_rules[rules];
    edGameType->setText(TextProvider::display(TextProvider::get_rules_text(rules)));
    // A name longer than its field shows its beginning, not its end.
    edGameType->home(false);

    const int level = storedIndex(SettingsKeys::LEVEL, std::size(g_skills));
    board->level = g_skills[level].plies;
    board->moveTime = g_skills[level].moveTime;
    edLevel->setText(TextProvider::display(TextProvider::get_level_text(level)));
    edLevel->home(false);

    board->secondHuman =
        m_settings.value(QLatin1String(SettingsKeys::SECOND_PLAYER), 0).toInt() != 0;
    board->humanFirst = m_settings.value(QLatin1String(SettingsKeys::FIRST_MOVE), 0).toInt() == 0;
}

void Widget::onUndo()
{
    if (board->undo())
        update();
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onRedo()
{
    if (board->redo())
        update();
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onHint()
{
    board->showHint();
    // Return on the board then plays the move.
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onMoves()
{
    QStringList rows;
    for (const std::string& row : MoveList::rows(board->record))
        rows << QString::fromStdString(row);
    MovesDlg dialog(this, rows);
    dialog.exec();
    board->setFocus(Qt::MouseFocusReason);
}

std::string Widget::archivePath() const
{
    const QString gameFile = QCoreApplication::applicationDirPath() + QLatin1String(GAME_FILE);
    return GameArchive::besideFile(QFile::encodeName(gameFile).toStdString());
}

void Widget::onGames()
{
    const std::string archive = archivePath();
    const QString folder =
        QCoreApplication::applicationDirPath() + QLatin1String(COLLECTIONS_FOLDER);
    GamesDlg dialog(this, GameList::build(archive, QFile::encodeName(folder).toStdString()),
                    archive);
    if (dialog.exec() == QDialog::Accepted && dialog.chosen())
        replay(dialog.chosen()->record, 0);
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onPuzzles()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const ReplayView::Pieces pieces{board->imgManWhite.get(), board->imgKingWhite.get(),
                                    board->imgManBlack.get(), board->imgKingBlack.get()};
    PuzzleDlg dialog(
        this, board->rules, QFile::encodeName(dir + QLatin1String(PUZZLES_FOLDER)).toStdString(),
        QFile::encodeName(dir + QLatin1String(PUZZLES_PROGRESS)).toStdString(), pieces);
    dialog.exec();
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::onReview()
{
    replay(board->record, board->record.moves().size());
    board->setFocus(Qt::MouseFocusReason);
}

void Widget::replay(const GameRecord& game, std::size_t ply)
{
    const ReplayView::Pieces pieces{board->imgManWhite.get(), board->imgKingWhite.get(),
                                    board->imgManBlack.get(), board->imgKingBlack.get()};
    ReplayDlg dialog(this, game, ply, pieces);
    if (dialog.exec() != QDialog::Accepted || !dialog.playFromHere())
        return;
    board->playFrom(*dialog.playFromHere());
    // The game may be of the other rule set than the settings name: the window names its own.
    for (unsigned int index = 0; index < std::size(g_rules); ++index) {
        if (g_rules[index] == board->rules)
            edGameType->setText(TextProvider::display(TextProvider::get_rules_text(index)));
    }
    edGameType->home(false);
    board->update();
}

int Widget::storedIndex(const char* key, unsigned int count)
{
    const QString name = QLatin1String(key);
    const int value = m_settings.value(name, 0).toInt();
    if (static_cast<unsigned int>(value) < count)
        return value;
    m_settings.setValue(name, 0);
    return 0;
}

void Widget::toggleFocus()
{
    if (board->hasFocus())
        btnNew->setFocus(Qt::MouseFocusReason);
    else
        board->setFocus(Qt::MouseFocusReason);
}
