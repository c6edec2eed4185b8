#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "engine/position.h"
#include "game/movelist.h"
#include "puzzledlg.h"
#include "qtboard.h"
#include "replaydlg.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"
#include "tests/support/positions.h"
#include "tests/support/readerlanguage.h"
#include "widget.h"

namespace
{

constexpr int SQUARES_PER_ROW = 4;
constexpr int MODAL_POLL_MS = 20;
constexpr int REPLY_WAIT_MS = 3000;
// Longer than the board's half second before the computer's reply.
constexpr int PAST_REPLY_MS = 700;
// A reply held back by a dialog comes this soon after the dialog is closed, not a new half
// second later.
constexpr int HELD_REPLY_MS = 100;
// Which window is active when Escape goes down.
enum ActiveWindow { THIS_WINDOW, OTHER_WINDOW, NO_WINDOW };
// Repeats of a held Escape, 40 ms apart as a keyboard repeats them at 25 a second.
constexpr int ESCAPE_REPEATS = 3;
constexpr ulong REPEAT_GAP_MS = 40;
constexpr ulong FIRST_KEY_TIME = 100000;
constexpr int GREY_LEVELS = 16;
// Comfortably past the moment the release of Escape closes the window unless a repeat follows.
constexpr int PAST_ESCAPE_MS = 300;
// The border that marks the button with the keyboard focus.
constexpr int FOCUS_FRAME_WIDTH = 3;
// The reader's screen and the program's font.
const QSize READER_SCREEN(600, 800);
constexpr int READER_FONT_PIXELS = 25;
// What truncating the cell size and the layout's rounding may leave more on one side of the board.
constexpr int CENTRING_SLACK = 8;

// Three moves each, read back from games.pdn.
const char OPENING_GAME[] = "[Event \"Game\"]\n[GameType \"25\"]\n"
                            "1. c3-d4 f6-g5 2. b2-c3 g7-f6 3. a1-b2 h8-g7 *\n\n";

QString settingsPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/checkers.ini");
}

// The game kept beside the program, and where an unreadable one is set aside.
QString gamePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/checkers.pdn");
}

QString badGamePath()
{
    return gamePath() + QStringLiteral(".bad");
}

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every game played, added beside the program: each test begins and ends without it.
QString archivePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/games.pdn");
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), qint64(contents.size()));
}

// Writes checkers.ini as a person would edit it: the given lines under [General].
void writeSettingsFile(const QStringList& lines)
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\n");
    for (const QString& line : lines)
        file.write(line.toLatin1() + '\n');
}

// The value stored under `key` in checkers.ini as text, read without QSettings; a null string
// when the file or the key is missing.
QString storedText(const QString& key)
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString prefix = key + QLatin1Char('=');
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (text.startsWith(prefix))
            return text.mid(prefix.size());
    }
    return QString();
}

// Column and row of a playable square.
QPoint cellOf(int square)
{
    const int row = square / SQUARES_PER_ROW;
    const int column = 2 * (square % SQUARES_PER_ROW) + (row % 2 == 0 ? 1 : 0);
    return QPoint(column, row);
}

// A move of side 1 that the board's rules accept in its current position.
bool findMove(const QtBoard& board, int& from, int& to)
{
    const std::string position = board.engine->toString(false);
    for (from = 0; from < SQUARES; ++from) {
        for (to = 0; to < SQUARES; ++to) {
            std::unique_ptr<Checkers> probe;
            if (board.engine->type() == RCheckers::RULES_CODE)
                probe = std::make_unique<RCheckers>();
            else
                probe = std::make_unique<ECheckers>();
            probe->fromString(position);
            if (from != to && probe->go1(from, to))
                return true;
        }
    }
    return false;
}

// Whether `rect` of `image` is edged by a frame exactly FOCUS_FRAME_WIDTH pixels wide, black in
// the panel's 16 grey levels: every pixel of the frame black, the pixels just inside it at the
// middle of each side not.
bool showsFocusFrame(const QImage& image, const QRect& rect)
{
    const auto black = [&image](int x, int y) {
        return qGray(image.pixel(x, y)) * GREY_LEVELS / 256 == 0;
    };
    for (int i = 0; i < FOCUS_FRAME_WIDTH; ++i) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (!black(x, rect.top() + i) || !black(x, rect.bottom() - i))
                return false;
        }
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (!black(rect.left() + i, y) || !black(rect.right() - i, y))
                return false;
        }
    }
    const QRect inside =
        rect.adjusted(FOCUS_FRAME_WIDTH, FOCUS_FRAME_WIDTH, -FOCUS_FRAME_WIDTH, -FOCUS_FRAME_WIDTH);
    const QPoint centre = rect.center();
    return !black(inside.left(), centre.y()) && !black(inside.right(), centre.y()) &&
           !black(centre.x(), inside.top()) && !black(centre.x(), inside.bottom());
}

// An Escape key event with the time stamp the window system gives it, without the repeat flag.
void sendEscape(QWidget* receiver, QEvent::Type type, ulong timestamp)
{
    QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier);
    key.setTimestamp(timestamp);
    QApplication::sendEvent(receiver, &key);
}

// Plays a move of side 1 with the cursor and Return, as the person at the keys does.
void chooseCell(QtBoard* board, const QPoint& cell)
{
    board->cursor = cell;
    QTest::keyClick(board, Qt::Key_Return);
}

// Runs `act` on the modal dialog as soon as one is shown, from inside its own event loop.
class ModalHandler : public QObject
{
public:
    explicit ModalHandler(std::function<void(QDialog*)> act) : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalHandler::poll);
        m_timer.start(MODAL_POLL_MS);
    }

    bool handled() const { return m_handled; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        m_timer.stop();
        m_handled = true;
        // A modal window is shown before it is active, and focus and keys reach it only once it
        // is: on a slow machine (the reader's processor under emulation) the first poll can
        // come between the two. The offscreen platform's activation is an event still queued,
        // which qWaitForWindowActive does not wait for there.
        QTest::qWaitFor([dialog] { return dialog->isActiveWindow(); });
        m_act(dialog);
    }

    std::function<void(QDialog*)> m_act;
    QTimer m_timer;
    bool m_handled = false;
};

} // namespace

// The main window: its form, its keys, the settings file it reads and corrects, and the game
// commands New, Undo and Settings.
class WidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithFormAndFocus();
    void appliesSettingsFile_data();
    void appliesSettingsFile();
    void computerMovesFirst();
    void secondPersonMovesFirst();

    void menuKeysToggleFocus_data();
    void menuKeysToggleFocus();
    void focusedButtonShowsFrame();
    void settingsDialogFramesTheFocusedControl();
    void escapeClosesOnRelease_data();
    void escapeClosesOnRelease();
    void heldEscapeEndsTheGameAtItsLastRelease_data();
    void heldEscapeEndsTheGameAtItsLastRelease();
    void escapeDownWhileGameOverBoxOpensKeepsGame();
    void pageKeysReachWindowFromAnyChild();
    void returnOnButtonPressesIt();
    void buttonsFitTheReadersScreen_data();
    void buttonsFitTheReadersScreen();
    void longStatusTextsWrapWithoutMovingTheBoard();
    void hintAndMovesButtons();
    void gamesReplayLeavesTheGameAsItWas();
    void puzzlesLeaveTheGameAsItWas();
    void playFromHereSetsThePreviousGameAside();
    void reviewOpensTheFinishedGameAtItsEnd();

    void undoTakesBackMoveAndReply();
    void undoOnFreshGameOnlyFocuses();
    void commandsCancelPendingReply_data();
    void commandsCancelPendingReply();

    void acceptedSettingsStartNewGame();
    void cancelledSettingsKeepGame();
    void unknownLevelIsCorrectedAfterDialog();
    void grandmasterSearchesOnItsMoveTime();
    void replyWaitsForSettingsDialog_data();
    void replyWaitsForSettingsDialog();

    void statusLineBetweenBoardAndButtons();
    void resumesTheKeptGame();
    void resumedGameOwesTheReply();
    void gameOfOtherRulesIsReplaced();
    void unreadableGameIsSetAside_data();
    void unreadableGameIsSetAside();

    void unchangedSettingsFromTheFileKeepTheGame();
    void heldKeysActOnce_data();
    void heldKeysActOnce();
    void redoWithShiftPageUp();
    void escapeAndSettingsStopTheHint();
    void memoryAfterGrandmastersReplyAndAHint();

private:
    // Shows the window and waits until it is active, so that focus questions have answers.
    void showActive();
    // Makes a move of side 1 through the board; the computer's reply is then pending.
    void playMove();
    // The same, then waits for the computer's reply.
    void playMoveAndReply();
    QtBoard* board() const { return m_window->findChild<QtBoard*>(QStringLiteral("board")); }
    QPushButton* button(const char* name) const
    {
        return m_window->findChild<QPushButton*>(QLatin1String(name));
    }
    QString fieldText(const char* name) const
    {
        return m_window->findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    void clickSettings(std::function<void(QDialog*)> act);
    // After a modal dialog or message box: the window activates itself again (the offscreen
    // platform, like X without a window manager, leaves no window active) and `child` has the
    // focus.
    bool focusReturnsTo(QWidget* child) const
    {
        return QTest::qWaitForWindowActive(m_window.get()) && child->hasFocus();
    }
    bool focusReturnsToBoard() const { return focusReturnsTo(board()); }

    std::unique_ptr<Widget> m_window;
};

void WidgetTest::init()
{
    for (const QString& path : {settingsPath(), gamePath(), badGamePath(), archivePath()})
        QFile::remove(path);
}

void WidgetTest::cleanup()
{
    m_window.reset();
    for (const QString& path : {settingsPath(), gamePath(), badGamePath(), archivePath()})
        QFile::remove(path);
}

void WidgetTest::showActive()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void WidgetTest::playMove()
{
    QtBoard* b = board();
    int from = 0;
    int to = 0;
    QVERIFY(findMove(*b, from, to));
    const std::size_t undoSize = b->engine->undo_list.size();
    chooseCell(b, cellOf(from));
    chooseCell(b, cellOf(to));
    QCOMPARE(b->engine->undo_list.size(), undoSize + 1);
    QVERIFY(b->replyPending());
}

void WidgetTest::playMoveAndReply()
{
    playMove();
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
}

void WidgetTest::clickSettings(std::function<void(QDialog*)> act)
{
    ModalHandler handler(std::move(act));
    button("btnSettings")->setFocus();
    button("btnSettings")->click();
    QVERIFY(handler.handled());
}

void WidgetTest::startsWithFormAndFocus()
{
    m_window = std::make_unique<Widget>();
    showActive();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Form"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblLevel"))->text(),
             QStringLiteral("Checkers"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("label"))->text(),
             QStringLiteral("Game type:"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("label_2"))->text(),
             QStringLiteral("Level:"));
    const char* const names[] = {"btnNew",   "btnUndo",     "btnHint",    "btnMoves",
                                 "btnGames", "btnSettings", "btnPuzzles", "btnClose"};
    const char* const texts[] = {"New",   "Undo",     "Hint",    "Moves",
                                 "Games", "Settings", "Puzzles", "Close"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        QCOMPARE(button(names[i])->text(), QLatin1String(texts[i]));
    QVERIFY(board()->hasFocus());
    QCOMPARE(board()->minimumSize(), QSize(100, 100));
    // Tab moves through the buttons only, never to the name fields.
    button("btnNew")->setFocus();
    for (const char* name : {"btnUndo", "btnHint", "btnMoves", "btnGames", "btnSettings",
                             "btnPuzzles", "btnClose", "btnNew"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button(name));
    }
}

void WidgetTest::appliesSettingsFile_data()
{
    QTest::addColumn<QStringList>("lines"); // null: no file
    QTest::addColumn<int>("rules");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("rulesName");
    QTest::addColumn<QString>("levelName");
    QTest::addColumn<bool>("secondHuman");
    QTest::addColumn<bool>("humanFirst");
    QTest::addColumn<QString>("storedRules"); // checkers.ini afterwards; null: key absent
    QTest::addColumn<QString>("storedLevel");

    const QString absent;
    QTest::newRow("no file") << QStringList() << 25 << 2 << "Russian"
                             << "Beginner" << false << true << absent << absent;
    QTest::newRow("all set") << QStringList{"rules=1", "level=5", "first_move=1", "second_player=1"}
                             << 21 << 9 << "English"
                             << "Master" << true << false << "1"
                             << "5";
    QTest::newRow("levels step 2 4 6 7") << QStringList{"level=3"} << 25 << 7 << "Russian"
                                         << "Good" << false << true << absent << "3";
    QTest::newRow("garbage") << QStringList{"rules=abc", "level=x1", "first_move=?",
                                            "second_player=no"}
                             << 25 << 2 << "Russian"
                             << "Beginner" << false << true << "abc"
                             << "x1";
    QTest::newRow("rules=7") << QStringList{"rules=7", "level=4"} << 25 << 8 << "Russian"
                             << "Expert" << false << true << "0"
                             << "4";
    QTest::newRow("level=-1") << QStringList{"rules=1", "level=-1"} << 21 << 2 << "English"
                              << "Beginner" << false << true << "1"
                              << "0";
    QTest::newRow("level=7") << QStringList{"level=7"} << 25 << 2 << "Russian"
                             << "Beginner" << false << true << absent << "0";
    QTest::newRow("second_player=2") << QStringList{"second_player=2"} << 25 << 2 << "Russian"
                                     << "Beginner" << true << true << absent << absent;
    QTest::newRow("first_move=2") << QStringList{"first_move=2", "second_player=1"} << 25 << 2
                                  << "Russian"
                                  << "Beginner" << true << false << absent << absent;
}

void WidgetTest::appliesSettingsFile()
{
    QFETCH(QStringList, lines);
    QFETCH(int, rules);
    QFETCH(int, depth);
    QFETCH(QString, rulesName);
    QFETCH(QString, levelName);
    QFETCH(bool, secondHuman);
    QFETCH(bool, humanFirst);
    QFETCH(QString, storedRules);
    QFETCH(QString, storedLevel);

    if (!lines.isEmpty())
        writeSettingsFile(lines);
    m_window = std::make_unique<Widget>();
    QtBoard* b = board();
    QCOMPARE(b->rules, rules);
    QCOMPARE(b->level, depth);
    QCOMPARE(b->engine->type(), rules);
    QCOMPARE(b->engine->level, depth);
    QCOMPARE(b->secondHuman, secondHuman);
    QCOMPARE(b->humanFirst, humanFirst);
    QCOMPARE(fieldText("edGameType"), rulesName);
    QCOMPARE(fieldText("edLevel"), levelName);

    // Corrections reach the file when the window closes its settings; other keys stay as
    // they were written.
    m_window.reset();
    QCOMPARE(storedText(QStringLiteral("rules")), storedRules);
    QCOMPARE(storedText(QStringLiteral("level")), storedLevel);
    if (lines.isEmpty())
        QVERIFY(!QFile::exists(settingsPath()));
}

void WidgetTest::computerMovesFirst()
{
    writeSettingsFile({QStringLiteral("first_move=1")});
    m_window = std::make_unique<Widget>();
    const std::string start = RCheckers().toString(false);
    QVERIFY(board()->engine->toString(false) != start);
    QVERIFY(board()->engine->undo_list.empty());

    // "New" plays the computer's opening move again before anything is painted.
    button("btnNew")->click();
    QVERIFY(board()->engine->toString(false) != start);
    QVERIFY(!board()->replyPending());
}

void WidgetTest::secondPersonMovesFirst()
{
    writeSettingsFile({QStringLiteral("first_move=2"), QStringLiteral("second_player=2")});
    m_window = std::make_unique<Widget>();
    QCOMPARE(board()->engine->toString(false), RCheckers().toString(false));
    QVERIFY(!board()->side1ToMove);
}

void WidgetTest::menuKeysToggleFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("M") << int(Qt::Key_M);
    QTest::newRow("Menu") << int(Qt::Key_Menu);
}

void WidgetTest::menuKeysToggleFocus()
{
    QFETCH(int, key);
    m_window = std::make_unique<Widget>();
    showActive();
    QVERIFY(board()->hasFocus());
    QTest::keyClick(board(), Qt::Key(key));
    QVERIFY(button("btnNew")->hasFocus());
    QTest::keyClick(button("btnNew"), Qt::Key(key));
    QVERIFY(board()->hasFocus());
    // From any button, not only "New", the key goes back to the board.
    button("btnClose")->setFocus();
    QTest::keyClick(button("btnClose"), Qt::Key(key));
    QVERIFY(board()->hasFocus());
}

void WidgetTest::focusedButtonShowsFrame()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const char* const names[] = {"btnNew",   "btnUndo",     "btnHint",    "btnMoves",
                                 "btnGames", "btnSettings", "btnPuzzles", "btnClose"};
    constexpr int NONE = -1;
    constexpr int SEVERAL = -2;
    // The index of the one button framed on the screen.
    const auto framed = [&]() {
        const QImage image = m_window->grab().toImage();
        int found = NONE;
        for (int i = 0; i < int(std::size(names)); ++i) {
            if (!showsFocusFrame(image, button(names[i])->geometry()))
                continue;
            if (found != NONE)
                return SEVERAL;
            found = i;
        }
        return found;
    };
    QVERIFY(board()->hasFocus());
    QCOMPARE(framed(), NONE);

    // M gives "New" the focus, and the frame shows where it is; Tab moves both.
    QTest::keyClick(board(), Qt::Key_M);
    QVERIFY(button("btnNew")->hasFocus());
    QCOMPARE(framed(), 0);
    for (int i = 1; i < int(std::size(names)); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(button(names[i])->hasFocus());
        QCOMPARE(framed(), i);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M);
    QVERIFY(board()->hasFocus());
    QCOMPARE(framed(), NONE);
}

// In the settings dialog, too, the focused list or button is the one control framed.
void WidgetTest::settingsDialogFramesTheFocusedControl()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const QStringList names{"cbRules",        "cbLevel", "cbFirstMove",
                            "cbSecondPlayer", "btnOk",   "btnCancel"};
    QStringList framed;
    clickSettings([&](QDialog* dialog) {
        for (const QString& name : names) {
            dialog->findChild<QWidget*>(name)->setFocus(Qt::TabFocusReason);
            const QImage image = dialog->grab().toImage();
            for (const QString& other : names) {
                if (showsFocusFrame(image, dialog->findChild<QWidget*>(other)->geometry()))
                    framed << name + QLatin1Char('=') + other;
            }
        }
        dialog->reject();
    });
    QCOMPARE(framed.size(), names.size());
    for (const QString& name : names)
        QVERIFY2(framed.contains(name + QLatin1Char('=') + name), qPrintable(framed.join(' ')));
}

void WidgetTest::escapeClosesOnRelease_data()
{
    QTest::addColumn<int>("activeAtPress"); // which window is active when Escape goes down
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<bool>("closes");
    QTest::newRow("pressed and released") << int(THIS_WINDOW) << false << true;
    QTest::newRow("only auto-repeated presses") << int(THIS_WINDOW) << true << false;
    QTest::newRow("pressed while another window was active") << int(OTHER_WINDOW) << false << false;
    // As after a box closed where no window manager hands the activation back.
    QTest::newRow("pressed while no window was active") << int(NO_WINDOW) << false << true;
}

void WidgetTest::escapeClosesOnRelease()
{
    QFETCH(int, activeAtPress);
    QFETCH(bool, autoRepeat);
    QFETCH(bool, closes);
    m_window = std::make_unique<Widget>();
    showActive();
    QWidget other;
    if (activeAtPress != THIS_WINDOW) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    if (activeAtPress == NO_WINDOW) {
        other.hide();
        QTRY_VERIFY(!QApplication::activeWindow());
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(board(), &press);
    QVERIFY(m_window->isVisible());
    if (activeAtPress == OTHER_WINDOW)
        showActive();
    QTest::keyRelease(board(), Qt::Key_Escape);
    QTest::qWait(PAST_ESCAPE_MS);
    QCOMPARE(!m_window->isVisible(), closes);
}

void WidgetTest::heldEscapeEndsTheGameAtItsLastRelease_data()
{
    QTest::addColumn<bool>("flagged");      // the repeats carry the repeat flag
    QTest::addColumn<bool>("closedDialog"); // the press closed the settings dialog
    QTest::newRow("held in the window") << false << false;
    QTest::newRow("held in the window, repeats flagged") << true << false;
    QTest::newRow("held after it closed the dialog") << false << true;
    QTest::newRow("held after it closed the dialog, repeats flagged") << true << true;
}

// A held Escape repeats as release and press pairs with equal time stamps, flagged as repeats or
// not, and the event loop may run between the two halves: only the last release of an Escape
// pressed in the window ends the game.
void WidgetTest::heldEscapeEndsTheGameAtItsLastRelease()
{
    QFETCH(bool, flagged);
    QFETCH(bool, closedDialog);
    m_window = std::make_unique<Widget>();
    showActive();
    if (closedDialog) {
        clickSettings(
            [](QDialog* dialog) { sendEscape(dialog, QEvent::KeyPress, FIRST_KEY_TIME); });
        QVERIFY(focusReturnsToBoard());
    } else {
        sendEscape(board(), QEvent::KeyPress, FIRST_KEY_TIME);
    }
    ulong time = FIRST_KEY_TIME;
    for (int i = 0; i < ESCAPE_REPEATS; ++i) {
        time += REPEAT_GAP_MS;
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier, QString(), flagged);
            key.setTimestamp(time);
            QApplication::sendEvent(board(), &key);
            QCoreApplication::processEvents();
        }
        QTest::qWait(PAST_ESCAPE_MS);
        QVERIFY(m_window->isVisible());
    }
    sendEscape(board(), QEvent::KeyRelease, time + REPEAT_GAP_MS);
    QTest::qWait(PAST_ESCAPE_MS);
    QCOMPARE(m_window->isVisible(), closedDialog);
}

void WidgetTest::escapeDownWhileGameOverBoxOpensKeepsGame()
{
    // English rules: side 1's only man steps from 22 to 18, where side 2's man on 14 must take
    // it, and the reply ends the game with a message box.
    writeSettingsFile({QStringLiteral("rules=1")});
    m_window = std::make_unique<Widget>();
    showActive();
    ECheckers reader;
    QVERIFY(reader.fromString(positions::text({{22, MAN1}, {14, MAN2}})));
    board()->continueGame(GameRecord(ECheckers::RULES_CODE, Colour::Black, positionOf(reader), 1),
                          false);
    chooseCell(board(), cellOf(22));
    chooseCell(board(), cellOf(18));
    QVERIFY(board()->replyPending());
    button("btnUndo")->setFocus();

    // Escape goes down at the window; the box of the reply opens before it comes up. Its release
    // and one more press, which closes the box, reach the box.
    QTest::keyPress(board(), Qt::Key_Escape);
    ModalHandler handler([](QDialog* box) {
        QTest::keyRelease(box, Qt::Key_Escape);
        QTest::keyPress(box, Qt::Key_Escape);
    });
    QTRY_VERIFY_WITH_TIMEOUT(handler.handled(), REPLY_WAIT_MS);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(board()->gameOver);

    // The window is active again, the focus where it was; the release of the Escape that closed
    // the box reaches the window.
    QVERIFY(focusReturnsTo(button("btnUndo")));
    QTest::keyRelease(board(), Qt::Key_Escape);
    QTest::qWait(PAST_ESCAPE_MS);
    QVERIFY(m_window->isVisible());
}

void WidgetTest::pageKeysReachWindowFromAnyChild()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const std::string start = board()->engine->toString(false);
    playMoveAndReply();
    playMoveAndReply();

    // PageUp from the board undoes one move with its reply.
    QTest::keyClick(board(), Qt::Key_PageUp);
    QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
    QVERIFY(board()->hasFocus());

    // PageDown from a button starts a new game and gives the board the focus.
    button("btnUndo")->setFocus();
    QTest::keyClick(button("btnUndo"), Qt::Key_PageDown);
    QVERIFY(board()->engine->undo_list.empty());
    QCOMPARE(board()->engine->toString(false), start);
    QVERIFY(board()->hasFocus());
}

void WidgetTest::returnOnButtonPressesIt()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    button("btnNew")->setFocus();
    QSignalSpy clicked(button("btnNew"), SIGNAL(clicked()));
    QTest::keyClick(button("btnNew"), Qt::Key_Return);
    QTRY_COMPARE(clicked.count(), 1);
    QVERIFY(board()->engine->undo_list.empty());
    QVERIFY(board()->hasFocus());
}

void WidgetTest::buttonsFitTheReadersScreen_data()
{
    readerlanguage::addRows();
}

// Full screen on the 600 x 800 reader with the program's 25-pixel font, every button shows its
// whole text, in English and in Russian, in three rows of three places inside the window (two
// kept for more commands; four in a row leave the Russian names no room).
void WidgetTest::buttonsFitTheReadersScreen()
{
    QFETCH(bool, russian);
    readerlanguage::Texts texts(russian);
    QVERIFY(texts.loaded());
    const QFont font = QApplication::font();
    QFont readers = font;
    readers.setPixelSize(READER_FONT_PIXELS);
    QApplication::setFont(readers);
    m_window = std::make_unique<Widget>();
    m_window->resize(READER_SCREEN);
    showActive();
    QApplication::setFont(font);
    texts.uninstall();
    QCOMPARE(m_window->size(), READER_SCREEN);
    const char* const rows[][3] = {{"btnNew", "btnUndo", "btnHint"},
                                   {"btnMoves", "btnGames", "btnSettings"},
                                   {"btnPuzzles", "btnPuzzles", "btnClose"}};
    // Every place is as wide (to the layout's rounding), so a button added in a free place has
    // the room of the others.
    const int place = button("btnNew")->width();
    for (const auto& row : rows) {
        for (const char* name : row) {
            const QPushButton* b = button(name);
            QCOMPARE(b->fontInfo().pixelSize(), READER_FONT_PIXELS);
            QVERIFY2(b->width() >= b->sizeHint().width(), name);
            QVERIFY2(place > b->fontMetrics().boundingRect(b->text()).width(), name);
            QVERIFY2(m_window->rect().contains(b->geometry()), name);
            QCOMPARE(b->y(), button(row[0])->y());
            QVERIFY2(qAbs(b->width() - place) <= 1, name); // the layout rounds
        }
    }
    QVERIFY(button("btnMoves")->y() > button("btnNew")->geometry().bottom());
    QVERIFY(button("btnClose")->y() > button("btnMoves")->geometry().bottom());
    QCOMPARE(button("btnClose")->x(), button("btnSettings")->x());
    QVERIFY(m_window->rect().contains(button("btnClose")->geometry()));
    QVERIFY(!russian || button("btnGames")->text() != QLatin1String("Games"));
    QVERIFY(!russian || button("btnPuzzles")->text() != QLatin1String("Puzzles"));
}

// On the reader's screen a status text too long for one line wraps to the second line the status
// line keeps for it: the window stays as wide as the screen and the board does not move. The
// board's squares are centred across the window.
void WidgetTest::longStatusTextsWrapWithoutMovingTheBoard()
{
    const QFont font = QApplication::font();
    QFont readers = font;
    readers.setPixelSize(READER_FONT_PIXELS);
    QApplication::setFont(readers);
    m_window = std::make_unique<Widget>();
    m_window->resize(READER_SCREEN);
    showActive();
    QApplication::setFont(font);
    auto* status = m_window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    const QRect boardBefore = board()->geometry();
    const QRect statusBefore = status->geometry();
    // The Russian balance draw, once 647 pixels wide, and a text of two whole lines.
    const QString texts[] = {
        QString::fromUtf8("Ничья: соотношение сил не менялось 30 ходов"),
        QStringLiteral("Draw: the balance did not change for 60 moves and more and more words")};
    for (const QString& text : texts) {
        status->setText(text);
        m_window->layout()->activate();
        QApplication::processEvents();
        QCOMPARE(m_window->size(), READER_SCREEN);
        QVERIFY(m_window->minimumSizeHint().width() <= READER_SCREEN.width());
        QCOMPARE(board()->geometry(), boardBefore);
        QCOMPARE(status->geometry(), statusBefore);
        QVERIFY2(status->heightForWidth(status->width()) <= status->height(), qPrintable(text));
    }

    const QRect first = board()->rectFromPos(QPoint(0, 0));
    const QRect last = board()->rectFromPos(QPoint(7, 0));
    const int left = board()->x() + first.left();
    const int right = m_window->width() - (board()->x() + last.right() + 1);
    QVERIFY2(qAbs(left - right) <= CENTRING_SLACK,
             qPrintable(QStringLiteral("%1 left, %2 right").arg(left).arg(right)));
}

// A game of games.pdn opened from "Games" and stepped through: the game in progress keeps its
// moves, and the reply its person's move is owed comes once the replay is left with Escape.
void WidgetTest::gamesReplayLeavesTheGameAsItWas()
{
    writeFile(archivePath(), QByteArray(OPENING_GAME));
    m_window = std::make_unique<Widget>();
    showActive();
    playMove();
    const std::vector<GameMove> moves = board()->record.moves();
    const std::string kept = fileContents(gamePath()).toStdString();

    QString replayStatus;
    std::unique_ptr<ModalHandler> replay;
    ModalHandler games([&](QDialog* list) {
        replay = std::make_unique<ModalHandler>([&](QDialog* dialog) {
            QTest::keyClick(dialog, Qt::Key_Right);
            replayStatus = static_cast<ReplayDlg*>(dialog)->statusText();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(list->findChild<QListView*>(), Qt::Key_Return);
    });
    button("btnGames")->setFocus();
    QTest::keyClick(button("btnGames"), Qt::Key_Return);
    QTRY_VERIFY(replay && replay->handled());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(replayStatus, QStringLiteral("Move 1 of 6: 1. c3-d4"));
    QCOMPARE(board()->record.moves().size(), moves.size());
    QCOMPARE(fileContents(gamePath()).toStdString(), kept);
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
    QCOMPARE(board()->record.moves().size(), moves.size() + 1);
    QCOMPARE(board()->record.moves().front().to, moves.front().to);
    QVERIFY(focusReturnsToBoard());
}

// "Puzzles" opens the shipped book of the rule set in play; Escape comes back to the game in
// progress, whose owed reply then comes.
void WidgetTest::puzzlesLeaveTheGameAsItWas()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMove();
    const std::vector<GameMove> moves = board()->record.moves();
    QString task;
    ModalHandler puzzles([&](QDialog* dialog) {
        task = static_cast<PuzzleDlg*>(dialog)->statusText();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    button("btnPuzzles")->setFocus();
    QTest::keyClick(button("btnPuzzles"), Qt::Key_Return);
    QTRY_VERIFY(puzzles.handled());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY2(task.startsWith(QStringLiteral("White to play and win\nPuzzle 1 of ")) ||
                 task.startsWith(QStringLiteral("Black to play and win\nPuzzle 1 of ")),
             qPrintable(task));
    QCOMPARE(board()->record.moves().size(), moves.size());
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
    QCOMPARE(board()->record.moves().size(), moves.size() + 1);
}

// "Play from here" starts a game from the position shown, the person playing the side to move
// against the computer; the game that was in progress is added to games.pdn as New adds it.
void WidgetTest::playFromHereSetsThePreviousGameAside()
{
    writeFile(archivePath(), QByteArray(OPENING_GAME));
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();

    std::unique_ptr<ModalHandler> replay;
    ModalHandler games([&](QDialog* list) {
        replay = std::make_unique<ModalHandler>([](QDialog* dialog) {
            QTest::keyClick(dialog, Qt::Key_Right);
            QTest::keyClick(dialog, Qt::Key_P);
        });
        QTest::keyClick(list->findChild<QListView*>(), Qt::Key_Return);
    });
    button("btnGames")->click();
    QTRY_VERIFY(replay && replay->handled());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // Black to move after 1. c3-d4: the person plays Black, at the bottom, and moves first.
    QCOMPARE(board()->record.side1Colour(), Colour::Black);
    QVERIFY(board()->record.moves().empty());
    QCOMPARE(board()->record.sideToMove(), 1);
    QVERIFY(!board()->replyPending());
    QCOMPARE(fileContents(archivePath()).count("[Event"), 2);
}

// "Review" in the game-over box replays the game just finished from its last move.
void WidgetTest::reviewOpensTheFinishedGameAtItsEnd()
{
    // English rules: side 1's only man steps from 22 to 18, where side 2's man on 14 must take
    // it, and the reply ends the game.
    writeSettingsFile({QStringLiteral("rules=1")});
    m_window = std::make_unique<Widget>();
    showActive();
    ECheckers reader;
    QVERIFY(reader.fromString(positions::text({{22, MAN1}, {14, MAN2}})));
    board()->continueGame(GameRecord(ECheckers::RULES_CODE, Colour::Black, positionOf(reader), 1),
                          false);
    QString replayStatus;
    std::unique_ptr<ModalHandler> replay;
    ModalHandler box([&](QDialog* dialog) {
        replay = std::make_unique<ModalHandler>([&](QDialog* shown) {
            replayStatus = static_cast<ReplayDlg*>(shown)->statusText();
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        for (QAbstractButton* choice : dialog->findChildren<QAbstractButton*>()) {
            if (choice->text() == QLatin1String("Review"))
                choice->click();
        }
    });
    chooseCell(board(), cellOf(22));
    chooseCell(board(), cellOf(18));
    QTRY_VERIFY_WITH_TIMEOUT(replay && replay->handled(), REPLY_WAIT_MS);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(board()->gameOver);
    QVERIFY2(replayStatus.startsWith(QStringLiteral("Move 2 of 2: 1... ")),
             qPrintable(replayStatus));
}

// "Hint" shows the hint and leaves the focus on the board, where Return plays it. "Moves" lists
// the game in a dialog with the focused control framed; Escape closes it, and its release does
// not end the game behind it.
void WidgetTest::hintAndMovesButtons()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const auto* status = m_window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    button("btnHint")->setFocus();
    QTest::keyClick(button("btnHint"), Qt::Key_Return);
    QTRY_VERIFY(status->text().startsWith(QStringLiteral("Hint: ")));
    QVERIFY(board()->hasFocus());
    QTest::keyClick(board(), Qt::Key_Return);
    QVERIFY(board()->replyPending());
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
    playMoveAndReply();

    QStringList rows;
    QStringList framed;
    ModalHandler handler([&](QDialog* dialog) {
        const auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lstMoves"));
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        for (const char* name : {"lstMoves", "btnClose"}) {
            auto* control = dialog->findChild<QWidget*>(QLatin1String(name));
            control->setFocus(Qt::TabFocusReason);
            if (showsFocusFrame(dialog->grab().toImage(), control->geometry()))
                framed << QLatin1String(name);
        }
        sendEscape(QApplication::focusWidget(), QEvent::KeyPress, FIRST_KEY_TIME);
    });
    button("btnMoves")->click();
    QVERIFY(handler.handled());
    QStringList expected;
    for (const std::string& text : MoveList::rows(board()->record))
        expected << QString::fromStdString(text);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows, expected);
    QCOMPARE(framed, (QStringList{"lstMoves", "btnClose"}));
    QVERIFY(focusReturnsToBoard());
    sendEscape(m_window.get(), QEvent::KeyRelease, FIRST_KEY_TIME + REPEAT_GAP_MS);
    QTest::qWait(PAST_ESCAPE_MS);
    QVERIFY(m_window->isVisible());
}

void WidgetTest::undoTakesBackMoveAndReply()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const std::string start = board()->engine->toString(false);
    playMoveAndReply();
    const std::string afterFirst = board()->engine->toString(false);
    playMoveAndReply();

    button("btnUndo")->click();
    QCOMPARE(board()->engine->toString(false), afterFirst);
    QVERIFY(board()->hasFocus());
    button("btnUndo")->click();
    QCOMPARE(board()->engine->toString(false), start);
    QVERIFY(board()->engine->undo_list.empty());

    button("btnUndo")->setFocus();
    button("btnUndo")->click();
    QCOMPARE(board()->engine->toString(false), start);
    QVERIFY(board()->hasFocus());
    // Nothing is scheduled by an undo: the position stays put.
    QTest::qWait(PAST_REPLY_MS);
    QCOMPARE(board()->engine->toString(false), start);
}

void WidgetTest::undoOnFreshGameOnlyFocuses()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const std::string start = board()->engine->toString(false);
    const QPoint cursor = board()->cursor;
    button("btnUndo")->setFocus();
    QVERIFY(!board()->hasFocus());
    button("btnUndo")->click();
    QCOMPARE(board()->engine->toString(false), start);
    QCOMPARE(board()->cursor, cursor);
    QVERIFY(board()->hasFocus());
}

void WidgetTest::commandsCancelPendingReply_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("PageDown: new game") << int(Qt::Key_PageDown);
    QTest::newRow("PageUp: undo") << int(Qt::Key_PageUp);
}

void WidgetTest::commandsCancelPendingReply()
{
    QFETCH(int, key);
    m_window = std::make_unique<Widget>();
    showActive();
    const std::string start = board()->engine->toString(false);
    playMove();

    // Either command goes back to the start; the computer must not move there.
    QTest::keyClick(board(), Qt::Key(key));
    QVERIFY(!board()->replyPending());
    QTest::qWait(PAST_REPLY_MS);
    QCOMPARE(board()->engine->toString(false), start);
}

void WidgetTest::acceptedSettingsStartNewGame()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    clickSettings([](QDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("cbRules"))->setCurrentIndex(1);
        dialog->findChild<QComboBox*>(QStringLiteral("cbLevel"))->setCurrentIndex(5);
        dialog->accept();
    });
    QCOMPARE(board()->rules, 21);
    QCOMPARE(board()->engine->type(), 21);
    QCOMPARE(board()->engine->level, 9);
    QVERIFY(board()->engine->undo_list.empty());
    QCOMPARE(board()->engine->toString(false), ECheckers().toString(false));
    QCOMPARE(fieldText("edGameType"), QStringLiteral("English"));
    QCOMPARE(fieldText("edLevel"), QStringLiteral("Master"));
    QVERIFY(focusReturnsToBoard());

    // Accepting without a change keeps the game as it is.
    playMoveAndReply();
    const std::string played = board()->engine->toString(false);
    clickSettings([](QDialog* dialog) { dialog->accept(); });
    QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
    QCOMPARE(board()->engine->toString(false), played);

    m_window.reset();
    QCOMPARE(storedText(QStringLiteral("rules")), QStringLiteral("1"));
    QCOMPARE(storedText(QStringLiteral("level")), QStringLiteral("5"));
    QCOMPARE(storedText(QStringLiteral("first_move")), QStringLiteral("0"));
    QCOMPARE(storedText(QStringLiteral("second_player")), QStringLiteral("0"));
}

void WidgetTest::cancelledSettingsKeepGame()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    const std::string position = board()->engine->toString(false);
    clickSettings([](QDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("cbRules"))->setCurrentIndex(1);
        dialog->reject();
    });
    QCOMPARE(board()->engine->toString(false), position);
    QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
    QCOMPARE(board()->rules, 25);
    QVERIFY(focusReturnsToBoard());
    m_window.reset();
    QVERIFY(!QFile::exists(settingsPath()));
}

void WidgetTest::unknownLevelIsCorrectedAfterDialog()
{
    // A level list left without an entry is stored as -1, which the window reads as index 0
    // and writes back.
    writeSettingsFile({QStringLiteral("level=3")});
    m_window = std::make_unique<Widget>();
    QCOMPARE(board()->level, 7);
    clickSettings([](QDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("cbLevel"))->setCurrentIndex(-1);
        dialog->accept();
    });
    QCOMPARE(board()->level, 2);
    QCOMPARE(board()->engine->level, 2);
    QCOMPARE(fieldText("edLevel"), QStringLiteral("Beginner"));
    m_window.reset();
    QCOMPARE(storedText(QStringLiteral("level")), QStringLiteral("0"));
}

// ---- status line and the kept game ----

void WidgetTest::statusLineBetweenBoardAndButtons()
{
    m_window = std::make_unique<Widget>();
    showActive();
    const auto* status = m_window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    QVERIFY(status != nullptr);
    QVERIFY(status->geometry().top() >= board()->geometry().bottom());
    QVERIFY(status->geometry().bottom() <= button("btnNew")->geometry().top());
    QCOMPARE(status->text(), QStringLiteral("White to move (you)"));
    playMove();
    QCOMPARE(status->text(), QStringLiteral("Black (computer) is replying"));
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
    QCOMPARE(status->text(), QStringLiteral("White to move (you)"));
}

void WidgetTest::resumesTheKeptGame()
{
    writeSettingsFile({"rules=1", "first_move=1"});
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    playMoveAndReply();
    const QtBoard* before = board();
    const std::string position = before->engine->toString(false);
    const std::vector<std::string> undoSteps = before->engine->undo_list;
    const GameMove last = *before->record.lastMove();
    const QString status = m_window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    board()->cursor = QPoint(2, 5); // where a new window's cursor starts
    const QImage screen = board()->grab().toImage();
    m_window.reset();

    m_window = std::make_unique<Widget>();
    showActive();
    QCOMPARE(board()->engine->toString(false), position);
    QCOMPARE(board()->engine->undo_list, undoSteps);
    QCOMPARE(board()->engine->type(), ECheckers::RULES_CODE);
    QVERIFY(!board()->humanFirst); // the computer opened: the colours stay as they were
    QVERIFY(board()->side1ToMove);
    QVERIFY(!board()->replyPending());
    QCOMPARE(board()->record.lastMove()->from, last.from);
    QCOMPARE(board()->record.lastMove()->to, last.to);
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(), status);
    QCOMPARE(board()->grab().toImage(), screen);

    // The undo steps came back with the game: two undos reach the computer's opening.
    button("btnUndo")->click();
    button("btnUndo")->click();
    QVERIFY(board()->engine->undo_list.empty());
    QCOMPARE(board()->record.moves().size(), std::size_t(1));
    button("btnUndo")->click();
    QCOMPARE(board()->record.moves().size(), std::size_t(1));
}

void WidgetTest::resumedGameOwesTheReply()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMove(); // closed before the computer answers
    const std::size_t moves = board()->record.moves().size();
    m_window.reset();

    m_window = std::make_unique<Widget>();
    showActive();
    QCOMPARE(board()->record.moves().size(), moves);
    QVERIFY(board()->replyPending());
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), REPLY_WAIT_MS);
    QCOMPARE(board()->record.moves().size(), moves + 1);
    QCOMPARE(board()->record.lastMove()->side, 2);
}

void WidgetTest::gameOfOtherRulesIsReplaced()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    m_window.reset();

    writeSettingsFile({"rules=1"});
    m_window = std::make_unique<Widget>();
    QCOMPARE(board()->engine->type(), ECheckers::RULES_CODE);
    QVERIFY(board()->record.moves().empty());
    QVERIFY(!QFile::exists(badGamePath()));
    QVERIFY(fileContents(gamePath()).contains("[GameType \"21\"]"));
}

void WidgetTest::unreadableGameIsSetAside_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: the kept game cut short
    QTest::newRow("torn") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x01\x02 not a game at all [[[\n");
    QTest::newRow("illegal move") << QByteArray("[Event \"Checkers\"]\n[White \"Player\"]\n"
                                                "[Black \"Computer\"]\n[Result \"*\"]\n"
                                                "[GameType \"25\"]\n\n1. c3-e5 *\n");
}

void WidgetTest::unreadableGameIsSetAside()
{
    QFETCH(QByteArray, contents);
    if (contents.isEmpty()) {
        m_window = std::make_unique<Widget>();
        showActive();
        playMoveAndReply();
        playMoveAndReply();
        m_window.reset();
        const QByteArray whole = fileContents(gamePath());
        QVERIFY(whole.size() > 0);
        // Cut in the middle of the last move, as a power loss in the middle of writing would.
        contents = whole.left(whole.lastIndexOf('-') + 1);
        QVERIFY(contents.size() > whole.size() / 2);
    }
    writeFile(gamePath(), contents);

    m_window = std::make_unique<Widget>();
    showActive();
    QCOMPARE(fileContents(badGamePath()), contents);
    QVERIFY(board()->record.moves().empty());
    QVERIFY(board()->engine->undo_list.empty());
    QVERIFY(!board()->gameOver);
    // The new game is kept in its place and can be played.
    QVERIFY(fileContents(gamePath()).contains("[Result \"*\"]"));
    playMoveAndReply();
}

void WidgetTest::replyWaitsForSettingsDialog_data()
{
    QTest::addColumn<int>("closing");   // how the dialog is closed
    QTest::addColumn<bool>("accepted"); // accepted with a change: a new game
    QTest::newRow("Cancel") << int(QDialog::Rejected) << false;
    QTest::newRow("Left") << int(Qt::Key_Left) << false;
    QTest::newRow("Ok unchanged") << int(QDialog::Accepted) << false;
    QTest::newRow("Ok changed") << int(QDialog::Accepted) << true;
}

void WidgetTest::replyWaitsForSettingsDialog()
{
    QFETCH(int, closing);
    QFETCH(bool, accepted);
    m_window = std::make_unique<Widget>();
    showActive();
    const std::string start = board()->engine->toString(false);
    playMove();
    const std::string afterMove = board()->engine->toString(false);

    // The dialog stays open past the moment the reply was due; the game behind it must not move.
    std::string behindDialog;
    clickSettings([&](QDialog* dialog) {
        QTest::qWait(PAST_REPLY_MS);
        behindDialog = board()->engine->toString(false);
        if (accepted) {
            auto* level = dialog->findChild<QComboBox*>(QStringLiteral("cbLevel"));
            level->setCurrentIndex(level->currentIndex() == 0 ? 1 : 0);
        }
        if (closing == Qt::Key_Left)
            QTest::keyClick(dialog, Qt::Key_Left);
        else if (closing == QDialog::Accepted)
            dialog->accept(); // stores the settings
        else
            dialog->done(closing);
    });
    QCOMPARE(behindDialog, afterMove);

    if (accepted) {
        // The new game drops the reply of the old one.
        QVERIFY(!board()->replyPending());
        QTest::qWait(PAST_REPLY_MS);
        QCOMPARE(board()->engine->toString(false), start);
        QVERIFY(board()->engine->undo_list.empty());
    } else {
        // The held reply is made at once, exactly one.
        QTRY_VERIFY_WITH_TIMEOUT(board()->engine->toString(false) != afterMove, HELD_REPLY_MS);
        QVERIFY(!board()->replyPending());
        const std::string afterReply = board()->engine->toString(false);
        QTest::qWait(PAST_REPLY_MS);
        QCOMPARE(board()->engine->toString(false), afterReply);
        QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
    }
}

// Index 6 is Grandmaster: the engine of every new game gets its move time; the fixed levels
// get none.
void WidgetTest::grandmasterSearchesOnItsMoveTime()
{
    writeSettingsFile({QStringLiteral("level=6")});
    m_window = std::make_unique<Widget>();
    QCOMPARE(board()->moveTime, Checkers::GRANDMASTER_MS);
    QCOMPARE(board()->engine->moveTime, Checkers::GRANDMASTER_MS);
    QCOMPARE(fieldText("edLevel"), QStringLiteral("Grandmaster"));
    m_window.reset();
    QCOMPARE(storedText(QStringLiteral("level")), QStringLiteral("6"));

    writeSettingsFile({QStringLiteral("level=5")});
    m_window = std::make_unique<Widget>();
    QCOMPARE(board()->engine->moveTime, 0);
    QCOMPARE(board()->engine->level, 9);
}

// Settings read from the file and accepted as they are keep the game.
void WidgetTest::unchangedSettingsFromTheFileKeepTheGame()
{
    writeSettingsFile({QStringLiteral("rules=0"), QStringLiteral("level=1"),
                       QStringLiteral("first_move=0"), QStringLiteral("second_player=0")});
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    clickSettings([](QDialog* dialog) { dialog->accept(); });
    QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
}

// Notes the text a label shows each time it is painted.
class PaintRecorder : public QObject
{
public:
    QString lastText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            lastText = static_cast<QLabel*>(watched)->text();
        return false;
    }
};

// Prints the process's resident memory, now and at its peak.
void printMemory(const char* when)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS") || line.startsWith("VmHWM"))
            qInfo("%s: %s", when, line.simplified().constData());
    }
}

// A key event as the window system gives it: its time stamp, and the repeat flag as given.
void sendKey(QWidget* receiver, QEvent::Type type, int key, ulong timestamp, bool flagged = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), flagged);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(receiver, &event);
    // The key a button is given in place of Return is posted.
    QCoreApplication::processEvents();
}

void WidgetTest::heldKeysActOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("receiver"); // the button with the focus, or the board
    QTest::addColumn<bool>("flagged");     // repeats flagged, or release/press pairs
    for (bool flagged : {true, false}) {
        const char* const repeats = flagged ? " flagged" : " pairs";
        QTest::newRow(qPrintable(QStringLiteral("PageUp") + repeats))
            << int(Qt::Key_PageUp) << QString() << flagged;
        QTest::newRow(qPrintable(QStringLiteral("PageDown") + repeats))
            << int(Qt::Key_PageDown) << QString() << flagged;
        QTest::newRow(qPrintable(QStringLiteral("Return on Undo") + repeats))
            << int(Qt::Key_Return) << QStringLiteral("btnUndo") << flagged;
    }
}

// A held PageUp or Return on "Undo" takes back one move, a held PageDown starts one new game
// (a move played while it is held stays), however the repeats arrive.
void WidgetTest::heldKeysActOnce()
{
    QFETCH(int, key);
    QFETCH(QString, receiver);
    QFETCH(bool, flagged);
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    playMoveAndReply();
    QWidget* target = board();
    if (!receiver.isEmpty()) {
        target = button(qPrintable(receiver));
        target->setFocus();
    }
    ulong time = FIRST_KEY_TIME;
    sendKey(target, QEvent::KeyPress, key, time);
    if (key == Qt::Key_PageDown) {
        QVERIFY(board()->engine->undo_list.empty());
        board()->setFocus();
        playMoveAndReply();
    }
    for (int i = 0; i < ESCAPE_REPEATS; ++i) {
        time += REPEAT_GAP_MS;
        sendKey(target, QEvent::KeyRelease, key, time, flagged);
        sendKey(target, QEvent::KeyPress, key, time, flagged);
    }
    sendKey(target, QEvent::KeyRelease, key, time + REPEAT_GAP_MS);
    QCOMPARE(board()->engine->undo_list.size(), std::size_t(1));
    QCOMPARE(board()->record.moves().size(), std::size_t(2));
}

// Shift+PageUp plays again, a step at a time, what PageUp took back; the kept game follows.
void WidgetTest::redoWithShiftPageUp()
{
    m_window = std::make_unique<Widget>();
    showActive();
    playMoveAndReply();
    playMoveAndReply();
    const QByteArray kept = fileContents(gamePath());
    const std::string position = board()->engine->toString(false);
    QTest::keyClick(board(), Qt::Key_PageUp);
    QTest::keyClick(board(), Qt::Key_PageUp);
    QVERIFY(board()->record.moves().empty());
    QTest::keyClick(board(), Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(board()->record.moves().size(), std::size_t(2));
    QTest::keyClick(board(), Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(board()->engine->toString(false), position);
    QCOMPARE(fileContents(gamePath()), kept);
    QVERIFY(board()->hasFocus());
}

// Escape and the settings dialog stop a hint being searched at once.
void WidgetTest::escapeAndSettingsStopTheHint()
{
    m_window = std::make_unique<Widget>();
    showActive();
    auto* status = m_window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    // "Thinking…" is painted before the key returns, not at the event loop's leisure.
    PaintRecorder painted;
    status->installEventFilter(&painted);
    QTest::keyClick(board(), Qt::Key_H);
    QVERIFY(board()->hintPending());
    QCOMPARE(painted.lastText, QStringLiteral("Thinking…"));
    status->removeEventFilter(&painted);
    sendEscape(board(), QEvent::KeyPress, FIRST_KEY_TIME);
    QVERIFY(!board()->hintPending());
    QVERIFY(status->text() != QStringLiteral("Thinking…"));

    QTest::keyClick(board(), Qt::Key_H);
    QVERIFY(board()->hintPending());
    bool pendingInDialog = true;
    clickSettings([&](QDialog* dialog) {
        pendingInDialog = board()->hintPending();
        dialog->reject();
    });
    QVERIFY(!pendingInDialog);
    QTest::qWait(PAST_REPLY_MS);
    QVERIFY(!status->text().startsWith(QStringLiteral("Hint: ")));
}

// The program's resident memory after a Grandmaster reply and a hint: the two share the worker's
// one engine and its tables. Prints the figure.
void WidgetTest::memoryAfterGrandmastersReplyAndAHint()
{
    writeSettingsFile({QStringLiteral("level=6")});
    m_window = std::make_unique<Widget>();
    showActive();
    printMemory("before");
    playMove();
    QTRY_VERIFY_WITH_TIMEOUT(!board()->replyPending(), 2 * REPLY_WAIT_MS);
    QTest::keyClick(board(), Qt::Key_H);
    QTRY_VERIFY_WITH_TIMEOUT(!board()->hintPending(), REPLY_WAIT_MS);
    printMemory("after a Grandmaster reply and a hint");
}

QTEST_MAIN(WidgetTest)
#include "widget_test.moc"
