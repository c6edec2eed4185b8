// Widget tests of the board: geometry, painting, the cursor, selection and moves by key and by
// press, the computer's reply, the end of a game, games of two people, new games and undo.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPaintEvent>
#include <QRegion>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/movesink.h"
#include "engine/position.h"
#include "game/pdn.h"
#include "game/ruleset.h"
#include "game/thinker.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"
#include "tests/support/balancegames.h"
#include "ui/qtboard.h"

namespace
{

constexpr int BOARD_WIDTH = 600; // gives 70-pixel cells
constexpr int BOARD_HEIGHT = 800;
constexpr int REPLY_DELAY_MS = 500;
// Later than this the reply is late even on a busy machine running the tests in parallel.
constexpr int LATEST_REPLY_MS = 750;
constexpr int REPLY_SAMPLES = 10;
constexpr int REPLY_TIMEOUT_MS = 3000;
constexpr int AFTER_REPLY_WAIT_MS = 800; // comfortably past the moment a reply would come
constexpr int LONG_SEARCH_MS = 60000;    // a search that runs until it is stopped
constexpr int MESSAGE_POLL_MS = 10;
// A reply held back by a modal window comes this soon after the window is closed.
constexpr int HELD_REPLY_MS = 100;
const QPoint NO_CELL{-1, -1};

// The view's coordinates of a square: rows of four dark fields, the first one at column 1 on
// even rows and at column 0 on odd rows.
QPoint cellOf(int square)
{
    const int row = square / 4;
    return QPoint(2 * (square % 4) + (row % 2 == 0 ? 1 : 0), row);
}

// A key press as the device sends it. (QTest::keyClick cannot spell every key, Select among them.)
void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// A position text with the given pieces and every other square free.
std::string position(const std::map<int, int>& pieces)
{
    std::string text;
    for (int square = 0; square < SQUARES; ++square) {
        const auto it = pieces.find(square);
        text += std::to_string(it == pieces.end() ? FREE : it->second) + " ";
    }
    return text;
}

std::string startText()
{
    std::map<int, int> pieces;
    for (int square = 0; square < 12; ++square)
        pieces[square] = MAN2;
    for (int square = 20; square < SQUARES; ++square)
        pieces[square] = MAN1;
    return position(pieces);
}

int countOf(const Checkers& engine, int value)
{
    int count = 0;
    for (int square = 0; square < SQUARES; ++square)
        count += engine.board[engine.internal(square)] == value ? 1 : 0;
    return count;
}

// The Result tags of the games in a PDN file, in order.
QStringList resultsIn(const QString& path)
{
    QFile file(path);
    QStringList results;
    for (const QByteArray& line :
         file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>()) {
        if (line.startsWith("[Result \""))
            results << QString::fromLatin1(line.mid(9, line.size() - 11));
    }
    return results;
}

// Every position that one legal move of side 2 can lead to.
class ReplyCollector : public MoveSink
{
public:
    explicit ReplyCollector(const Checkers& engine) : m_engine(engine) {}
    void onMove(const int* cells, int /*jumps*/) override
    {
        std::string text;
        for (int square = 0; square < SQUARES; ++square)
            text += std::to_string(cells[m_engine.internal(square)]) + " ";
        positions.insert(text);
    }
    std::set<std::string> positions;

private:
    const Checkers& m_engine;
};

std::set<std::string> positionsAfterOneReply(Checkers& engine)
{
    ReplyCollector collector(engine);
    engine.generateMoves2(collector);
    return collector.positions;
}

// What a person sees on a cell, told apart as they would: by dark, light and mid grey, in the 16
// grey levels of the panel.
enum class Mark { NONE, START, TAKEN, FINAL, LANDING, DESTINATION };

constexpr int GREY_LEVELS = 16;
constexpr int CURSOR_EDGE = 5; // the cell's outer pixels, where the cursor and the frame are
constexpr int BLACK_LEVEL = 0;
constexpr int WHITE_LEVEL = GREY_LEVELS - 1;

int greyLevel(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) * GREY_LEVELS / 256;
}

// The mark on a free cell, or on a cell holding the piece that moved there.
Mark markOn(const QImage& image, const QRect& cell)
{
    const int size = cell.width();
    const QPoint middle(cell.left() + size / 2, cell.top() + size / 2);
    // The final square's outline: black, then white inside it, an eighth of the cell in.
    const int outline = cell.left() + size / 8;
    if (greyLevel(image, outline + 1, middle.y()) == BLACK_LEVEL &&
        greyLevel(image, outline + 3, middle.y()) == WHITE_LEVEL)
        return Mark::FINAL;
    const bool blackMiddle = greyLevel(image, middle.x(), middle.y()) == BLACK_LEVEL;
    if (!blackMiddle) { // a ring leaves the middle free and crosses the line through it
        if (greyLevel(image, middle.x() - size / 4, middle.y()) == BLACK_LEVEL)
            return Mark::START;
        // Where the piece can go: a square outline three pixels wide, a third of the cell across.
        const int edge = cell.left() + (size - size / 3) / 2;
        const auto black = [&](int x) { return greyLevel(image, x, middle.y()) == BLACK_LEVEL; };
        return black(edge) && black(edge + 2) && !black(edge - 1) && !black(edge + 3)
                   ? Mark::DESTINATION
                   : Mark::NONE;
    }
    // A cross reaches along the diagonals, a dot stays in the middle.
    const int diagonal = size / 4 + 3;
    return greyLevel(image, cell.left() + diagonal, cell.top() + diagonal) == BLACK_LEVEL
               ? Mark::TAKEN
               : Mark::LANDING;
}

// Closes every message box that opens while it lives, noting what it showed.
class MessageCatcher : public QObject
{
public:
    struct Message {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool hasParent;
        Qt::WindowFlags flags;
    };

    MessageCatcher()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            messages.push_back({box->windowTitle(), box->text(), box->icon(),
                                box->parentWidget() != nullptr, box->windowFlags()});
            box->done(0);
        });
        m_poll.start(MESSAGE_POLL_MS);
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Message& message : messages)
            result << message.text;
        return result;
    }

    std::vector<Message> messages;

private:
    QTimer m_poll;
};

// Notes the time on `clock` of the first paint of the board that shows a position other than
// the one it had when the recorder was made: the moment the computer's reply reaches the screen.
class ReplyRecorder : public QObject
{
public:
    ReplyRecorder(const QtBoard& board, const QElapsedTimer& clock)
        : m_board(board), m_clock(clock), m_before(board.engine->toString(false))
    {
    }

    qint64 replyMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && replyMs < 0 &&
            m_board.engine->toString(false) != m_before)
            replyMs = m_clock.elapsed();
        return QObject::eventFilter(watched, event);
    }

private:
    const QtBoard& m_board;
    const QElapsedTimer& m_clock;
    const std::string m_before;
};

// Receives the keys its child leaves unhandled.
class KeyRecorder : public QWidget
{
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

// Notes the region of every paint event of the watched widget.
class PaintRecorder : public QObject
{
public:
    QRegion painted;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class QtBoardTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cellSizeFollowsShorterEdge_data();
    void cellSizeFollowsShorterEdge();
    void cellRectangles_data();
    void cellRectangles();
    void pixelsToCells_data();
    void pixelsToCells();
    void cursorArmsReachThreeTenthsOfTheCell_data();
    void cursorArmsReachThreeTenthsOfTheCell();
    void cursorAndFrameShownOnlyWithFocus();
    void cellsShowFillsAndPieces();
    void pieceImagesPerRulesAndFirstMove_data();
    void pieceImagesPerRulesAndFirstMove();

    void cursorMovesAndWraps_data();
    void cursorMovesAndWraps();
    void cursorMoveRepaintsOnlyTheTwoCells_data();
    void cursorMoveRepaintsOnlyTheTwoCells();
    void otherKeysGoToTheParent();
    void selectionByKey_data();
    void selectionByKey();
    void selectionByPress();
    void pressOutsideTheBoardIsIgnored();
    void moveByKeyIsAnswered();
    void replyComesHalfASecondAfterTheMove_data();
    void replyComesHalfASecondAfterTheMove();
    void moveByPress();
    void replySignalIsQueuedAndMakesTheOnlyReply();
    void refusedMoveKeepsTheSelection();

    void side1WinsWhenSide2CannotMove();
    void computerWinsWhenSide1CannotMove();
    void nobodyCanMove();
    void messageShownAgainAfterTheEnd();

    void twoPeopleTakeTurns();
    void twoPeopleSide2First();
    void secondPersonWinsWhenSide1CannotMove();
    void newGameWithComputerFirst();

    void newGameCancelsPendingReply();
    void undoCancelsPendingReply();
    void replyWaitsWhileAModalWindowIsOpen();
    void noSecondMoveWhileReplyPending();
    void undoOnFreshGameChangesNothing();
    void undoGivesSide1TheTurnInTwoPersonGame();
    void undoAfterGameOverResumesTheGame();
    void circularCaptureByChoosingTheSelectedSquare();
    void selectedSquareAgainWithoutCaptureKeepsSelection();

    void marksOfPersonsMoveAndReply();
    void marksOfComputersCapture();
    void marksClearedByNewGameAndBackAfterUndo();
    void marksKeepCursorMovesToTwoCells();
    void statusLineFollowsTheGame();
    void statusLineNamesPlayersAndColours_data();
    void statusLineNamesPlayersAndColours();
    void refusedMovesSayWhy();
    void everyCaptureRouteCanBeEntered_data();
    void everyCaptureRouteCanBeEntered();
    void landingOffEveryRouteIsRefused();
    void repetitionEndsInADraw();
    void balanceDrawIsAnnounced_data();
    void balanceDrawIsAnnounced();
    void failedSaveIsShownUntilASaveSucceeds();
    void gamesPlayedAreAdded();
    void failedAdditionIsShownInTheBoxAndTheStatusLine();

    void marksShowWhereTheSelectedPieceCanGo_data();
    void marksShowWhereTheSelectedPieceCanGo();
    void destinationMarkIsASmallSquareClearOfTheEdge();
    void marksGoWithTheSelection();
    void hintShowsTheMoveAndReturnPlaysIt();
    void hintAskedWhileOneIsSearchedStartsNoSearch();
    void newGameStopsTheSearchAtOnce();
    void grandmastersReplyThinksOffTheGuiThread();
    void changesClearTheSelection_data();
    void changesClearTheSelection();
    void redoGivesBackWhatUndoTookBack();

    void endingNamesTheWinnerAndWhy_data();
    void endingNamesTheWinnerAndWhy();
    void cursorStartsOnAManOfThePerson();
    void russianCoordinatesTurnWithTheBoard();
    void englishNumbersTurnWithTheBoardInsideTheFrame();

private:
    // Starts a fresh game with the given settings and puts the position on the board.
    void setUp(int rules, const std::string& text, bool secondHuman = false, int sideToMove = 1);
    void press(int square);
    void pressAt(const QPoint& cell);
    QColor pixel(const QPoint& at) const;
    Mark mark(int square) const;
    // The squares that show where the selected piece can go.
    QList<int> destinationMarks() const;
    // Waits for the computer's reply to be made.
    void waitForReply();
    // Waits for the hint being searched to be shown.
    void waitForHint();

    std::unique_ptr<QtBoard> m_board;
    std::unique_ptr<MessageCatcher> m_messages;
};

void QtBoardTest::init()
{
    m_messages = std::make_unique<MessageCatcher>();
    m_board = std::make_unique<QtBoard>();
    m_board->resize(BOARD_WIDTH, BOARD_HEIGHT);
    m_board->setFocusPolicy(Qt::ClickFocus);
    m_board->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_board.get()));
    m_board->activateWindow();
    m_board->setFocus();
    QTRY_VERIFY(m_board->hasFocus());
}

void QtBoardTest::cleanup()
{
    m_board.reset();
    m_messages.reset();
}

void QtBoardTest::setUp(int rules, const std::string& text, bool secondHuman, int sideToMove)
{
    std::unique_ptr<Checkers> reader = ruleset::makeEngine(rules);
    QVERIFY(reader->fromString(text));
    const bool humanFirst = sideToMove == 1;
    m_board->continueGame(
        GameRecord(rules, ruleset::side1Colour(rules, humanFirst), positionOf(*reader), sideToMove),
        secondHuman);
    QCOMPARE(m_board->engine->toString(false), text);
}

void QtBoardTest::pressAt(const QPoint& cell)
{
    QTest::mouseClick(m_board.get(), Qt::LeftButton, Qt::NoModifier,
                      m_board->rectFromPos(cell).center());
}

void QtBoardTest::press(int square)
{
    pressAt(cellOf(square));
}

QColor QtBoardTest::pixel(const QPoint& at) const
{
    return QColor(m_board->grab().toImage().pixel(at));
}

Mark QtBoardTest::mark(int square) const
{
    return markOn(m_board->grab().toImage(), m_board->rectFromPos(cellOf(square)));
}

QList<int> QtBoardTest::destinationMarks() const
{
    const QImage image = m_board->grab().toImage();
    QList<int> marked;
    for (int square = 0; square < SQUARES; ++square) {
        if (markOn(image, m_board->rectFromPos(cellOf(square))) == Mark::DESTINATION)
            marked << square;
    }
    return marked;
}

void QtBoardTest::waitForReply()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), REPLY_TIMEOUT_MS);
}

void QtBoardTest::waitForHint()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->hintPending(), REPLY_TIMEOUT_MS);
}

// ---- geometry ----

void QtBoardTest::cellSizeFollowsShorterEdge_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("cell");
    QTest::newRow("taller than wide") << QSize(600, 800) << 70;
    QTest::newRow("wider than tall") << QSize(800, 600) << 70;
    QTest::newRow("smallest window") << QSize(100, 100) << 7;
    QTest::newRow("truncated") << QSize(607, 700) << 70;
}

void QtBoardTest::cellSizeFollowsShorterEdge()
{
    QFETCH(QSize, size);
    QFETCH(int, cell);
    m_board->resize(size);
    QCOMPARE(m_board->cellSize(), cell);
}

void QtBoardTest::cellRectangles_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("top left") << QSize(600, 800) << QPoint(0, 0)
                              << QRect(QPoint(20, 20), QPoint(89, 89));
    QTest::newRow("bottom right") << QSize(600, 800) << QPoint(7, 7)
                                  << QRect(QPoint(510, 510), QPoint(579, 579));
    QTest::newRow("column 3 row 5")
        << QSize(600, 800) << QPoint(3, 5) << QRect(QPoint(230, 370), QPoint(299, 439));
    // A wide board is centred across: 100 pixels more on the left.
    QTest::newRow("wider than tall")
        << QSize(800, 600) << QPoint(7, 0) << QRect(QPoint(610, 20), QPoint(679, 89));
    QTest::newRow("column 8") << QSize(600, 800) << QPoint(8, 0) << QRect();
    QTest::newRow("row -1") << QSize(600, 800) << QPoint(0, -1) << QRect();
    QTest::newRow("no room for cells") << QSize(40, 40) << QPoint(0, 0) << QRect();
}

void QtBoardTest::cellRectangles()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, pos);
    QFETCH(QRect, rect);
    m_board->resize(size);
    QCOMPARE(m_board->rectFromPos(pos), rect);
}

void QtBoardTest::pixelsToCells_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QPoint>("cell");
    QTest::newRow("in the margin") << QSize(600, 800) << QPoint(5, 5) << QPoint(0, 0);
    QTest::newRow("first pixel") << QSize(600, 800) << QPoint(20, 20) << QPoint(0, 0);
    QTest::newRow("last pixel of a cell") << QSize(600, 800) << QPoint(89, 159) << QPoint(0, 1);
    QTest::newRow("first pixel of the next") << QSize(600, 800) << QPoint(90, 160) << QPoint(1, 2);
    QTest::newRow("last pixel") << QSize(600, 800) << QPoint(579, 579) << QPoint(7, 7);
    QTest::newRow("right of the board") << QSize(600, 800) << QPoint(580, 300) << NO_CELL;
    QTest::newRow("below the board") << QSize(600, 800) << QPoint(300, 700) << NO_CELL;
    QTest::newRow("wider than tall, right") << QSize(800, 600) << QPoint(700, 300) << NO_CELL;
    QTest::newRow("wider than tall, inside") << QSize(800, 600) << QPoint(679, 20) << QPoint(7, 0);
    QTest::newRow("wider than tall, in the margin")
        << QSize(800, 600) << QPoint(100, 20) << QPoint(0, 0);
    QTest::newRow("wider than tall, left of the margin")
        << QSize(800, 600) << QPoint(99, 20) << NO_CELL;
    QTest::newRow("no room for cells") << QSize(40, 40) << QPoint(5, 5) << NO_CELL;
}

void QtBoardTest::pixelsToCells()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, pixel);
    QFETCH(QPoint, cell);
    m_board->resize(size);
    QCOMPARE(m_board->posFromMouse(pixel), cell);
}

// ---- painting ----

void QtBoardTest::cursorArmsReachThreeTenthsOfTheCell_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("armEnd"); // last pixel of the top-left arm of the cursor at (3, 5)
    QTest::newRow("70-pixel cells, L = 21") << QSize(600, 800) << QPoint(230 + 21, 370);
    QTest::newRow("7-pixel cells, L = 2") << QSize(100, 100) << QPoint(41 + 2, 55);
}

void QtBoardTest::cursorArmsReachThreeTenthsOfTheCell()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, armEnd);
    m_board->resize(size);
    const QColor pen = m_board->palette().color(QPalette::WindowText);
    m_board->cursor = QPoint(3, 5);
    QCOMPARE(pixel(armEnd), pen);
    QCOMPARE(pixel(armEnd + QPoint(1, 0)), QColor(Qt::white));
}

void QtBoardTest::cursorAndFrameShownOnlyWithFocus()
{
    const QColor pen = m_board->palette().color(QPalette::WindowText);
    const QColor gray(Qt::gray);
    const QColor white(Qt::white);

    // The cursor on the light field (3, 5): 230..299 by 370..439.
    m_board->cursor = QPoint(3, 5);
    QImage image = m_board->grab().toImage();
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(QColor(image.pixel(240, 370 + i)), pen); // top left, across
        QCOMPARE(QColor(image.pixel(230 + i, 380)), pen); // top left, down
        QCOMPARE(QColor(image.pixel(290, 439 - i)), pen); // bottom right, across
        QCOMPARE(QColor(image.pixel(299 - i, 430)), pen); // bottom right, up
        QCOMPARE(QColor(image.pixel(278, 370 + i)), pen); // top right, its free end
        QCOMPARE(QColor(image.pixel(299 - i, 418)), pen); // bottom right, its free end
    }
    QCOMPARE(QColor(image.pixel(240, 375)), white);
    QCOMPARE(QColor(image.pixel(265, 370)), white); // between the brackets
    QCOMPARE(QColor(image.pixel(277, 370)), white); // beyond the top right arm
    QCOMPARE(QColor(image.pixel(299, 417)), white); // beyond the bottom right arm

    // Select the man on (0, 5): cell 20..89 by 370..439; the frame lies along its edges.
    pressAt(QPoint(0, 5));
    QCOMPARE(m_board->selectedCell, QPoint(0, 5));
    image = m_board->grab().toImage();
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(QColor(image.pixel(20 + i, 372)), pen);
        QCOMPARE(QColor(image.pixel(89 - i, 437)), pen);
        QCOMPARE(QColor(image.pixel(20 + i, 370 + i)), pen); // the frame's corners
        QCOMPARE(QColor(image.pixel(89 - i, 439 - i)), pen);
        QCOMPARE(QColor(image.pixel(55, 439 - i)), pen); // below the man
    }
    QCOMPARE(QColor(image.pixel(25, 375)), gray); // inside the frame, outside the man
    QCOMPARE(QColor(image.pixel(84, 434)), gray);

    // On an empty square the frame is exactly five pixels wide on every side: (1, 4) is
    // 90..159 by 300..369.
    m_board->selectedCell = QPoint(1, 4);
    image = m_board->grab().toImage();
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(QColor(image.pixel(90 + i, 335)), pen);
        QCOMPARE(QColor(image.pixel(159 - i, 335)), pen);
        QCOMPARE(QColor(image.pixel(125, 300 + i)), pen);
        QCOMPARE(QColor(image.pixel(125, 369 - i)), pen);
    }
    QCOMPARE(QColor(image.pixel(95, 335)), gray);
    QCOMPARE(QColor(image.pixel(154, 335)), gray);
    QCOMPARE(QColor(image.pixel(125, 305)), gray);
    QCOMPARE(QColor(image.pixel(125, 364)), gray);
    m_board->selectedCell = QPoint(0, 5);

    m_board->clearFocus();
    QVERIFY(!m_board->hasFocus());
    image = m_board->grab().toImage();
    QCOMPARE(QColor(image.pixel(22, 372)), gray);
    QCOMPARE(QColor(image.pixel(30, 370)), gray);
    QCOMPARE(QColor(image.pixel(89, 430)), gray);
    QCOMPARE(m_board->selected, 20); // the selection itself stays
}

void QtBoardTest::cellsShowFillsAndPieces()
{
    // With Russian rules and the person first, side 1 is white: a white man shows white in its
    // middle, a white king its black crown; a black man black, a black king its white crown.
    setUp(RCheckers::RULES_CODE,
          position({{0, MAN2}, {1, KING2}, {20, MAN1}, {21, KING1}, {12, FREE}}));
    m_board->engine->board[m_board->engine->internal(13)] = BORDER;
    const QImage image = m_board->grab().toImage();
    const auto middle = [&](int square) {
        return QColor(image.pixel(m_board->rectFromPos(cellOf(square)).center()));
    };
    QCOMPARE(middle(20), QColor(Qt::white));
    QCOMPARE(middle(21), QColor(Qt::black));
    QCOMPARE(middle(0), QColor(Qt::black));
    QCOMPARE(middle(1), QColor(Qt::white));
    QCOMPARE(middle(12), QColor(Qt::gray));
    QCOMPARE(middle(13), QColor(Qt::gray)); // not a piece: only the fill
    QCOMPARE(QColor(image.pixel(m_board->rectFromPos(QPoint(0, 0)).center())), QColor(Qt::white));
    // The corners of a piece's cell show the fill: the images are transparent there.
    QCOMPARE(QColor(image.pixel(m_board->rectFromPos(cellOf(21)).topLeft() + QPoint(6, 6))),
             QColor(Qt::gray));

    // A missing image leaves its pieces undrawn.
    QImage missing;
    m_board->imgMan1 = &missing;
    QCOMPARE(QColor(m_board->grab().toImage().pixel(m_board->rectFromPos(cellOf(20)).center())),
             QColor(Qt::gray));
}

void QtBoardTest::pieceImagesPerRulesAndFirstMove_data()
{
    QTest::addColumn<int>("rules");
    QTest::addColumn<bool>("humanFirst");
    QTest::addColumn<bool>("side1White");
    QTest::newRow("Russian, person first") << 25 << true << true;
    QTest::newRow("Russian, computer first") << 25 << false << false;
    QTest::newRow("English, person first") << 21 << true << false;
    QTest::newRow("English, computer first") << 21 << false << true;
    QTest::newRow("other code, person first") << 7 << true << false;
    QTest::newRow("other code, computer first") << 7 << false << false;
}

void QtBoardTest::pieceImagesPerRulesAndFirstMove()
{
    QFETCH(int, rules);
    QFETCH(bool, humanFirst);
    QFETCH(bool, side1White);
    m_board->rules = rules;
    m_board->humanFirst = humanFirst;
    m_board->newGame();

    QtBoard& b = *m_board;
    QCOMPARE(b.imgMan1, side1White ? b.imgManWhite.get() : b.imgManBlack.get());
    QCOMPARE(b.imgKing1, side1White ? b.imgKingWhite.get() : b.imgKingBlack.get());
    QCOMPARE(b.imgMan2, side1White ? b.imgManBlack.get() : b.imgManWhite.get());
    QCOMPARE(b.imgKing2, side1White ? b.imgKingBlack.get() : b.imgKingWhite.get());
    QCOMPARE(b.engine->type(), rules == 25 ? 25 : 21);

    // And on the screen: side 1's man on (0, 5), side 2's on (1, 0).
    const QImage image = b.grab().toImage();
    const QColor side1 = image.pixel(b.rectFromPos(QPoint(0, 5)).center());
    const QColor side2 = image.pixel(b.rectFromPos(QPoint(1, 0)).center());
    QCOMPARE(side1, QColor(side1White ? Qt::white : Qt::black));
    QCOMPARE(side2, QColor(side1White ? Qt::black : Qt::white));
}

// ---- cursor and keys ----

void QtBoardTest::cursorMovesAndWraps_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("right") << QPoint(3, 5) << int(Qt::Key_Right) << QPoint(4, 5);
    QTest::newRow("left") << QPoint(3, 5) << int(Qt::Key_Left) << QPoint(2, 5);
    QTest::newRow("up") << QPoint(3, 5) << int(Qt::Key_Up) << QPoint(3, 4);
    QTest::newRow("down") << QPoint(3, 5) << int(Qt::Key_Down) << QPoint(3, 6);
    QTest::newRow("right wraps") << QPoint(7, 2) << int(Qt::Key_Right) << QPoint(0, 2);
    QTest::newRow("left wraps") << QPoint(0, 2) << int(Qt::Key_Left) << QPoint(7, 2);
    QTest::newRow("up wraps") << QPoint(4, 0) << int(Qt::Key_Up) << QPoint(4, 7);
    QTest::newRow("down wraps") << QPoint(4, 7) << int(Qt::Key_Down) << QPoint(4, 0);
    QTest::newRow("other key") << QPoint(3, 5) << int(Qt::Key_A) << QPoint(3, 5);
}

void QtBoardTest::cursorMovesAndWraps()
{
    QFETCH(QPoint, from);
    QFETCH(int, key);
    QFETCH(QPoint, to);
    m_board->selected = 20;
    m_board->selectedCell = cellOf(20);
    m_board->cursor = from;
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->cursor, to);
    QCOMPARE(m_board->selected, 20);
    QCOMPARE(m_board->selectedCell, cellOf(20));
}

void QtBoardTest::cursorMoveRepaintsOnlyTheTwoCells_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("right") << QPoint(3, 5) << int(Qt::Key_Right) << QPoint(4, 5);
    QTest::newRow("left wraps") << QPoint(0, 5) << int(Qt::Key_Left) << QPoint(7, 5);
    QTest::newRow("up") << QPoint(3, 5) << int(Qt::Key_Up) << QPoint(3, 4);
    QTest::newRow("down wraps") << QPoint(3, 7) << int(Qt::Key_Down) << QPoint(3, 0);
}

void QtBoardTest::cursorMoveRepaintsOnlyTheTwoCells()
{
    QFETCH(QPoint, from);
    QFETCH(int, key);
    QFETCH(QPoint, to);
    m_board->cursor = from;
    m_board->repaint();
    PaintRecorder recorder;
    m_board->installEventFilter(&recorder);
    pressKey(m_board.get(), key);
    QTRY_VERIFY(recorder.paints > 0);
    QCoreApplication::processEvents();
    m_board->removeEventFilter(&recorder);

    const QRegion cells = QRegion(m_board->rectFromPos(from)) + QRegion(m_board->rectFromPos(to));
    QCOMPARE(recorder.painted, cells);
}

void QtBoardTest::otherKeysGoToTheParent()
{
    KeyRecorder parent;
    auto* board = new QtBoard(&parent); // owned by the parent
    parent.resize(BOARD_WIDTH, BOARD_HEIGHT);
    board->resize(BOARD_WIDTH, BOARD_HEIGHT);
    board->cursor = QPoint(3, 5); // a light field, where Return selects nothing
    const int handled[] = {Qt::Key_Left, Qt::Key_Up,     Qt::Key_Right,
                           Qt::Key_Down, Qt::Key_Return, Qt::Key_Select};
    for (int key : handled)
        pressKey(board, key);
    QVERIFY(parent.keys.empty());
    pressKey(board, Qt::Key_Enter); // the keypad's Enter is not the board's
    pressKey(board, Qt::Key_PageUp);
    QCOMPARE(parent.keys, (std::vector<int>{Qt::Key_Enter, Qt::Key_PageUp}));
    QCOMPARE(board->selected, -1);
}

// ---- selection and moves ----

void QtBoardTest::selectionByKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Select") << int(Qt::Key_Select);
}

void QtBoardTest::selectionByKey()
{
    QFETCH(int, key);
    const std::string start = m_board->engine->toString(false);

    // On a light field nothing is chosen.
    m_board->cursor = QPoint(3, 5);
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->selected, -1);

    // A free square with nothing selected changes nothing.
    pressKey(m_board.get(), Qt::Key_Up); // (3, 4): square 17, free
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(m_board->selectedCell, NO_CELL);

    // Side 1's man on (2, 5), square 21.
    pressKey(m_board.get(), Qt::Key_Down);
    pressKey(m_board.get(), Qt::Key_Left);
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->selected, 21);
    QCOMPARE(m_board->selectedCell, QPoint(2, 5));

    // Any piece can be selected, side 2's too; the frame follows.
    m_board->cursor = QPoint(3, 2);
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->selected, 9);
    QCOMPARE(m_board->selectedCell, QPoint(3, 2));

    // A light field keeps the selection.
    pressKey(m_board.get(), Qt::Key_Right);
    pressKey(m_board.get(), key);
    QCOMPARE(m_board->selected, 9);
    QCOMPARE(m_board->engine->toString(false), start);
    QVERIFY(!m_board->replyPending());
    QVERIFY(m_messages->messages.empty());
}

void QtBoardTest::selectionByPress()
{
    press(22);
    QCOMPARE(m_board->cursor, cellOf(22));
    QCOMPARE(m_board->selected, 22);
    QCOMPARE(m_board->selectedCell, cellOf(22));
    press(2);
    QCOMPARE(m_board->selected, 2);
    QCOMPARE(m_board->selectedCell, cellOf(2));
    // Any button will do.
    QTest::mouseClick(m_board.get(), Qt::RightButton, Qt::NoModifier,
                      m_board->rectFromPos(cellOf(31)).center());
    QCOMPARE(m_board->selected, 31);
}

void QtBoardTest::pressOutsideTheBoardIsIgnored()
{
    press(21);
    const QPoint cursor = m_board->cursor;
    QTest::mouseClick(m_board.get(), Qt::LeftButton, Qt::NoModifier, QPoint(580, 300));
    QTest::mouseClick(m_board.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 700));
    QCOMPARE(m_board->cursor, cursor);
    QCOMPARE(m_board->selected, 21);
}

void QtBoardTest::moveByKeyIsAnswered()
{
    Checkers& engine = *m_board->engine;
    // Select 21 on (2, 5), then move to 17 on (3, 4).
    m_board->cursor = QPoint(2, 5);
    pressKey(m_board.get(), Qt::Key_Return);
    pressKey(m_board.get(), Qt::Key_Right);
    pressKey(m_board.get(), Qt::Key_Up);
    pressKey(m_board.get(), Qt::Key_Return);

    QCOMPARE(engine.board[engine.internal(17)], int(MAN1));
    QCOMPARE(engine.board[engine.internal(21)], int(FREE));
    QCOMPARE(engine.undo_list.size(), std::size_t(1));
    // No frame is left on the square the man left.
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(m_board->selectedCell, NO_CELL);
    QVERIFY(m_board->replyPending());

    const std::set<std::string> replies = positionsAfterOneReply(engine);
    const std::string afterMove = engine.toString(false);
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), REPLY_TIMEOUT_MS);

    QVERIFY(replies.count(engine.toString(false)) == 1); // exactly one move of side 2
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(m_board->selectedCell, NO_CELL);

    // Nothing more happens.
    const std::string afterReply = engine.toString(false);
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QCOMPARE(engine.toString(false), afterReply);
    QVERIFY(m_messages->messages.empty());
}

void QtBoardTest::replyComesHalfASecondAfterTheMove_data()
{
    QTest::addColumn<int>("sample");
    for (int i = 1; i <= REPLY_SAMPLES; ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i;
}

// The reply is on the screen no sooner than half a second after the person's move and not much
// later. Prints the delay, so that a quiet run shows how closely it is kept.
void QtBoardTest::replyComesHalfASecondAfterTheMove()
{
    press(21);
    // Started before the move is given, so the delay measured is never shorter than the board's.
    QElapsedTimer clock;
    clock.start();
    press(17);
    QVERIFY(m_board->replyPending());
    ReplyRecorder recorder(*m_board, clock);
    m_board->installEventFilter(&recorder);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.replyMs >= 0, REPLY_TIMEOUT_MS);
    qInfo("reply %lld ms after the move", recorder.replyMs);
    QVERIFY2(recorder.replyMs >= REPLY_DELAY_MS, qPrintable(QString::number(recorder.replyMs)));
    QVERIFY2(recorder.replyMs <= LATEST_REPLY_MS, qPrintable(QString::number(recorder.replyMs)));
}

void QtBoardTest::moveByPress()
{
    Checkers& engine = *m_board->engine;
    press(22);
    press(18);
    QCOMPARE(m_board->cursor, cellOf(18));
    QCOMPARE(engine.board[engine.internal(18)], int(MAN1));
    QCOMPARE(engine.board[engine.internal(22)], int(FREE));
    QCOMPARE(m_board->selected, -1);
    QVERIFY(m_board->replyPending());
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), REPLY_TIMEOUT_MS);
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(countOf(engine, MAN2) + countOf(engine, KING2), 12);
}

void QtBoardTest::replySignalIsQueuedAndMakesTheOnlyReply()
{
    Checkers& engine = *m_board->engine;
    press(21);
    press(17);
    QVERIFY(m_board->replyPending());
    const std::string afterMove = engine.toString(false);
    const std::set<std::string> replies = positionsAfterOneReply(engine);

    emit m_board->compMoveSignal();
    QCOMPARE(engine.toString(false), afterMove); // queued: nothing happens at once
    QTRY_VERIFY(engine.toString(false) != afterMove);
    QVERIFY(replies.count(engine.toString(false)) == 1);
    QVERIFY(!m_board->replyPending()); // the timer does not reply a second time
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QVERIFY(replies.count(engine.toString(false)) == 1);
}

void QtBoardTest::refusedMoveKeepsTheSelection()
{
    Checkers& engine = *m_board->engine;
    const std::string start = engine.toString(false);
    press(21);
    press(13); // two rows ahead: refused
    QCOMPARE(engine.toString(false), start);
    QCOMPARE(m_board->selected, 21);
    QCOMPARE(m_board->selectedCell, cellOf(21));
    QVERIFY(!m_board->replyPending());
    QVERIFY(engine.undo_list.empty());

    press(9); // a man of side 2 selected: go1 refuses to move it
    press(13);
    QCOMPARE(engine.toString(false), start);
    QCOMPARE(m_board->selected, 9);

    press(21);
    press(16); // the other diagonal is fine at once
    QCOMPARE(engine.board[engine.internal(16)], int(MAN1));
    QVERIFY(m_board->replyPending());
    QVERIFY(m_messages->messages.empty());
}

// ---- end of a game ----

void QtBoardTest::side1WinsWhenSide2CannotMove()
{
    // Side 1's man on 21 takes side 2's last man on 17 and lands on 14.
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    press(21);
    press(14);
    QCOMPARE(m_messages->texts(), QStringList{"Game Over! You win!\nWhite has no pieces left"});
    QVERIFY(m_board->gameOver);
    QCOMPARE(m_board->result, 2);
    QVERIFY(!m_board->replyPending());
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QCOMPARE(m_messages->messages.size(), std::size_t(1));

    const MessageCatcher::Message& box = m_messages->messages.front();
    QCOMPARE(box.title, QString("Game Over"));
    QCOMPARE(box.icon, QMessageBox::Information);
    QVERIFY(!box.hasParent);
    QVERIFY(box.flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QCOMPARE(box.flags & Qt::WindowType_Mask, Qt::Dialog);
}

void QtBoardTest::computerWinsWhenSide1CannotMove()
{
    // Side 1's only man steps from 22 to 18, where side 2's man on 14 must take it.
    setUp(ECheckers::RULES_CODE, position({{22, MAN1}, {14, MAN2}}));
    press(22);
    press(18);
    QVERIFY(m_board->replyPending());
    QVERIFY(m_messages->messages.empty());
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->texts(),
                              QStringList{"Game Over! Computer wins!\nBlack has no pieces left"},
                              REPLY_TIMEOUT_MS);
    const Checkers& engine = *m_board->engine;
    QCOMPARE(countOf(engine, MAN1) + countOf(engine, KING1), 0);
    QCOMPARE(engine.board[engine.internal(23)], int(MAN2));
    QVERIFY(m_board->gameOver);
    QCOMPARE(m_board->result, 1);
    QCOMPARE(m_board->selected, -1);
}

void QtBoardTest::nobodyCanMove()
{
    // Side 1's man from 8 to 4 is stuck behind its own man on 0; side 2's man on the bottom row
    // cannot go forward.
    setUp(ECheckers::RULES_CODE, position({{0, MAN1}, {8, MAN1}, {28, MAN2}}));
    press(8);
    press(4);
    QCOMPARE(m_messages->texts(), QStringList{"Game Over! Nobody can move!"});
    QCOMPARE(m_board->result, 3);
    QVERIFY(!m_board->replyPending());
}

void QtBoardTest::messageShownAgainAfterTheEnd()
{
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    press(21);
    press(14);
    QCOMPARE(m_messages->messages.size(), std::size_t(1));
    pressAt(QPoint(0, 0)); // a light field
    press(28);             // selecting still works
    QCOMPARE(m_board->selected, 28);
    m_board->cursor = QPoint(0, 1); // and by key: a free square
    pressKey(m_board.get(), Qt::Key_Return);
    const QString won = "Game Over! You win!\nWhite has no pieces left";
    QCOMPARE(m_messages->texts(), (QStringList{won, won, won, won}));
    QVERIFY(m_board->gameOver);
    QVERIFY(!m_board->replyPending());
}

// ---- two people, new games ----

void QtBoardTest::twoPeopleTakeTurns()
{
    m_board->secondHuman = true;
    m_board->humanFirst = true;
    m_board->newGame();
    Checkers& engine = *m_board->engine;
    QCOMPARE(engine.toString(false), startText());
    QVERIFY(m_board->side1ToMove);

    press(21);
    press(17);
    QCOMPARE(engine.board[engine.internal(17)], int(MAN1));
    QVERIFY(!m_board->side1ToMove);
    QVERIFY(!m_board->replyPending());

    // Now a move of side 1 goes to go2_human, which refuses it.
    const std::string afterFirst = engine.toString(false);
    press(22);
    press(18);
    QCOMPARE(engine.toString(false), afterFirst);
    QVERIFY(!m_board->side1ToMove);

    press(8);
    press(12);
    QCOMPARE(engine.board[engine.internal(12)], int(MAN2));
    QVERIFY(m_board->side1ToMove);

    // And back to go1: side 2 cannot move again.
    const std::string afterSecond = engine.toString(false);
    press(9);
    press(13);
    QCOMPARE(engine.toString(false), afterSecond);
    press(22);
    press(18);
    QCOMPARE(engine.board[engine.internal(18)], int(MAN1));
    QVERIFY(!m_board->side1ToMove);

    QTest::qWait(AFTER_REPLY_WAIT_MS); // nobody answers for the second person
    QCOMPARE(countOf(engine, MAN2), 12);
    QCOMPARE(engine.board[engine.internal(12)], int(MAN2));
    QVERIFY(m_messages->messages.empty());
}

void QtBoardTest::twoPeopleSide2First()
{
    m_board->secondHuman = true;
    m_board->humanFirst = false;
    m_board->newGame();
    QCOMPARE(m_board->engine->toString(false), startText());
    QVERIFY(!m_board->side1ToMove);
    press(9);
    press(13);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(13)], int(MAN2));
    QVERIFY(m_board->side1ToMove);
}

void QtBoardTest::secondPersonWinsWhenSide1CannotMove()
{
    // Side 2 begins; its man on 14 takes side 1's last man on 18 and lands on 23.
    setUp(ECheckers::RULES_CODE, position({{14, MAN2}, {18, MAN1}}), true, 2);
    press(14);
    press(23);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(23)], int(MAN2));
    QCOMPARE(m_messages->texts(), QStringList{"Game Over! Black wins!\nWhite has no pieces left"});
    QCOMPARE(m_board->result, 1);
    QVERIFY(m_board->gameOver);
    QVERIFY(!m_board->replyPending());
}

void QtBoardTest::newGameWithComputerFirst()
{
    // End a game first: side 1's man on 21 takes side 2's last man. The cursor stays on 14, and
    // a new game keeps it; the selection goes with the move.
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    press(21);
    press(14);
    QCOMPARE(m_board->result, 2);
    m_board->humanFirst = false;
    m_board->rules = ECheckers::RULES_CODE;
    m_board->level = 4;

    const std::set<std::string> openings = [&] {
        ECheckers fresh;
        return positionsAfterOneReply(fresh);
    }();
    m_board->newGame();

    Checkers& engine = *m_board->engine;
    QCOMPARE(engine.type(), ECheckers::RULES_CODE);
    QCOMPARE(engine.level, 4);
    QVERIFY(openings.count(engine.toString(false)) == 1); // the computer's opening is made
    QVERIFY(!m_board->gameOver);
    QCOMPARE(m_board->result, 0);
    QVERIFY(!m_board->replyPending());
    QVERIFY(engine.undo_list.empty());
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(m_board->cursor, cellOf(14));
    QCOMPARE(m_messages->messages.size(), std::size_t(1)); // the end of the old game only
}

// ---- mended faults ----

void QtBoardTest::newGameCancelsPendingReply()
{
    press(21);
    press(17);
    QVERIFY(m_board->replyPending());
    m_board->newGame();
    QVERIFY(!m_board->replyPending());
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QCOMPARE(m_board->engine->toString(false), startText());
}

void QtBoardTest::undoCancelsPendingReply()
{
    press(21);
    press(17);
    QVERIFY(m_board->replyPending());
    QVERIFY(m_board->undo());
    QVERIFY(!m_board->replyPending());
    QCOMPARE(m_board->engine->toString(false), startText());
    QVERIFY(m_board->engine->undo_list.empty());
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QCOMPARE(m_board->engine->toString(false), startText());

    // The game goes on normally: the next move is answered.
    press(22);
    press(18);
    QVERIFY(m_board->replyPending());
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), REPLY_TIMEOUT_MS);
    QCOMPARE(m_board->engine->undo_list.size(), std::size_t(1));
}

void QtBoardTest::replyWaitsWhileAModalWindowIsOpen()
{
    // Side 1's only man steps from 22 to 18, where side 2's man on 14 must take it: the reply
    // ends the game with a message box.
    const std::string afterMove = position({{18, MAN1}, {14, MAN2}});
    setUp(ECheckers::RULES_CODE, position({{22, MAN1}, {14, MAN2}}));
    press(22);
    press(18);
    QCOMPARE(m_board->engine->toString(false), afterMove);

    // Any modal window of the program, open past the moment the reply was due, holds it back:
    // neither the move nor its message comes while the window is open.
    QDialog dialog;
    std::string behindDialog;
    std::size_t messagesBehindDialog = 0;
    QTimer::singleShot(AFTER_REPLY_WAIT_MS, &dialog, [&] {
        behindDialog = m_board->engine->toString(false);
        messagesBehindDialog = m_messages->messages.size();
        dialog.reject();
    });
    dialog.exec();
    QCOMPARE(behindDialog, afterMove);
    QCOMPARE(messagesBehindDialog, std::size_t(0));
    QVERIFY(m_board->replyPending());

    // Once it is closed, the reply comes at once, and then its message.
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->texts(),
                              QStringList{"Game Over! Computer wins!\nBlack has no pieces left"},
                              HELD_REPLY_MS + MESSAGE_POLL_MS);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(23)], int(MAN2));
    QVERIFY(!m_board->replyPending());
}

void QtBoardTest::noSecondMoveWhileReplyPending()
{
    Checkers& engine = *m_board->engine;
    press(21);
    press(17);
    QVERIFY(m_board->replyPending());
    const std::string afterMove = engine.toString(false);
    const std::set<std::string> replies = positionsAfterOneReply(engine);

    press(22); // selecting still works
    QCOMPARE(m_board->selected, 22);
    press(18); // but the move waits for the reply
    QCOMPARE(engine.toString(false), afterMove);
    QCOMPARE(m_board->selected, 22);
    QCOMPARE(engine.undo_list.size(), std::size_t(1));

    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), REPLY_TIMEOUT_MS);
    QVERIFY(replies.count(engine.toString(false)) == 1);
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QVERIFY(replies.count(engine.toString(false)) == 1); // no second reply
    QVERIFY(m_messages->messages.empty());
}

void QtBoardTest::undoOnFreshGameChangesNothing()
{
    press(21);
    QVERIFY(!m_board->undo());
    QCOMPARE(m_board->engine->toString(false), startText());
    QCOMPARE(m_board->selected, 21);
}

void QtBoardTest::undoGivesSide1TheTurnInTwoPersonGame()
{
    m_board->secondHuman = true;
    m_board->newGame();
    press(21);
    press(17);
    QVERIFY(!m_board->side1ToMove);
    QVERIFY(m_board->undo());
    QVERIFY(m_board->side1ToMove);
    QCOMPARE(m_board->engine->toString(false), startText());

    // Side 1 moves again, not side 2.
    press(22);
    press(18);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(18)], int(MAN1));
    QVERIFY(!m_board->side1ToMove);

    // After both have moved, undo takes back side 2's move too.
    press(9);
    press(13);
    QVERIFY(m_board->side1ToMove);
    QVERIFY(m_board->undo());
    QCOMPARE(m_board->engine->toString(false), startText());
    QVERIFY(m_board->side1ToMove);
    QVERIFY(!m_board->replyPending());
}

void QtBoardTest::undoAfterGameOverResumesTheGame()
{
    const std::string before = position({{22, MAN1}, {14, MAN2}});
    setUp(ECheckers::RULES_CODE, before);
    press(22);
    press(18);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->messages.size(), std::size_t(1), REPLY_TIMEOUT_MS);
    QVERIFY(m_board->gameOver);

    QVERIFY(m_board->undo());
    QVERIFY(!m_board->gameOver);
    QCOMPARE(m_board->result, 0);
    QCOMPARE(m_board->engine->toString(false), before);

    // The next move is answered rather than greeted with the old message.
    press(22);
    press(17);
    QCOMPARE(m_messages->messages.size(), std::size_t(1));
    QVERIFY(m_board->replyPending());
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->messages.size(), std::size_t(2), REPLY_TIMEOUT_MS);
    QCOMPARE(m_messages->texts().last(),
             QString("Game Over! Computer wins!\nBlack has no pieces left"));
    QCOMPARE(m_board->engine->board[m_board->engine->internal(21)], int(MAN2));
}

void QtBoardTest::circularCaptureByChoosingTheSelectedSquare()
{
    // The king on 22 takes 17, 9, 10 and 18 (or the other way round) and comes back to 22.
    setUp(ECheckers::RULES_CODE,
          position({{22, KING1}, {17, MAN2}, {9, MAN2}, {18, MAN2}, {10, MAN2}}));
    press(22);
    QCOMPARE(m_board->selected, 22);
    QVERIFY(m_messages->messages.empty());
    press(22);
    const Checkers& engine = *m_board->engine;
    QCOMPARE(engine.board[engine.internal(22)], int(KING1));
    QCOMPARE(countOf(engine, MAN2), 0);
    QCOMPARE(engine.undo_list.size(), std::size_t(1));
    QCOMPARE(m_messages->texts(), QStringList{"Game Over! You win!\nWhite has no pieces left"});
    QCOMPARE(m_board->result, 2);
}

void QtBoardTest::selectedSquareAgainWithoutCaptureKeepsSelection()
{
    const std::string start = m_board->engine->toString(false);
    press(21);
    press(21);
    QCOMPARE(m_board->selected, 21);
    QCOMPARE(m_board->selectedCell, cellOf(21));
    QCOMPARE(m_board->engine->toString(false), start);
    QVERIFY(m_board->engine->undo_list.empty());
    QVERIFY(!m_board->replyPending());
}

// ---- marks of the last move ----

void QtBoardTest::marksOfPersonsMoveAndReply()
{
    for (int square = 0; square < SQUARES; ++square)
        QVERIFY(mark(square) != Mark::FINAL);
    press(22);
    press(18);
    QCOMPARE(mark(22), Mark::START);
    QCOMPARE(mark(18), Mark::FINAL); // over the white man that moved there
    QCOMPARE(mark(21), Mark::NONE);

    waitForReply();
    const GameMove* reply = m_board->record.lastMove();
    QVERIFY(reply != nullptr);
    QCOMPARE(reply->side, 2);
    QCOMPARE(mark(reply->from), Mark::START);
    QCOMPARE(mark(reply->to), Mark::FINAL); // over the black man
    QCOMPARE(mark(22), Mark::NONE);         // the person's move is no longer marked
    QVERIFY(mark(18) != Mark::FINAL || reply->to == 18);
}

void QtBoardTest::marksOfComputersCapture()
{
    // Side 1's only man steps from 22 to 18, where side 2's man on 14 takes it, landing on 23.
    setUp(ECheckers::RULES_CODE, position({{22, MAN1}, {14, MAN2}, {0, MAN2}}));
    press(22);
    press(18);
    waitForReply();
    QCOMPARE(mark(14), Mark::START);
    QCOMPARE(mark(18), Mark::TAKEN);
    QCOMPARE(mark(23), Mark::FINAL);
    QCOMPARE(mark(22), Mark::NONE);
    // The marks leave the dark fill around them.
    const QImage image = m_board->grab().toImage();
    for (int square : {14, 18, 23}) {
        const QPoint corner = m_board->rectFromPos(cellOf(square)).topLeft() + QPoint(6, 6);
        QCOMPARE(QColor(image.pixel(corner)), QColor(Qt::gray));
    }

    // The marks are drawn apart from the cursor and the frame: the cursor on the taken square
    // and the frame on the final one leave both marks as they were.
    m_board->cursor = cellOf(18);
    m_board->selected = 23;
    m_board->selectedCell = cellOf(23);
    QCOMPARE(mark(18), Mark::TAKEN);
    QCOMPARE(mark(23), Mark::FINAL);
}

void QtBoardTest::marksClearedByNewGameAndBackAfterUndo()
{
    press(22);
    press(18);
    waitForReply();
    const GameMove firstReply = *m_board->record.lastMove();
    press(21);
    press(17);
    waitForReply();
    QVERIFY(m_board->record.lastMove()->from != firstReply.from ||
            m_board->record.lastMove()->to != firstReply.to);

    // Undo shows the move that led to the restored position: the first reply.
    QVERIFY(m_board->undo());
    QCOMPARE(mark(firstReply.from), Mark::START);
    QCOMPARE(mark(firstReply.to), Mark::FINAL);
    // And before the first move there is none.
    QVERIFY(m_board->undo());
    QCOMPARE(mark(firstReply.to), Mark::NONE);
    QCOMPARE(mark(22), Mark::NONE);
    QCOMPARE(mark(18), Mark::NONE);
    QVERIFY(m_board->record.lastMove() == nullptr);

    press(22);
    press(18);
    QCOMPARE(mark(22), Mark::START);
    m_board->newGame();
    QCOMPARE(mark(22), Mark::NONE);
    QCOMPARE(mark(18), Mark::NONE);
}

void QtBoardTest::marksKeepCursorMovesToTwoCells()
{
    press(22);
    press(18);
    waitForReply();
    m_board->cursor = cellOf(22);
    m_board->repaint();
    PaintRecorder recorder;
    m_board->installEventFilter(&recorder);
    pressKey(m_board.get(), Qt::Key_Up);
    QTRY_VERIFY(recorder.paints > 0);
    QCoreApplication::processEvents();
    m_board->removeEventFilter(&recorder);
    QCOMPARE(recorder.painted, QRegion(m_board->rectFromPos(cellOf(22))) +
                                   QRegion(m_board->rectFromPos(cellOf(22) + QPoint(0, -1))));
}

// ---- status line ----

void QtBoardTest::statusLineFollowsTheGame()
{
    QSignalSpy spy(m_board.get(), &QtBoard::statusChanged);
    QCOMPARE(m_board->statusText(), QString("White to move (you)"));
    press(22);
    QCOMPARE(spy.count(), 0); // selecting changes nothing in the game
    press(18);
    QCOMPARE(m_board->statusText(), QString("Black (computer) is replying"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toString(), QString("Black (computer) is replying"));
    waitForReply();
    QCOMPARE(m_board->statusText(), QString("White to move (you)"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().at(0).toString(), QString("White to move (you)"));

    // The end of the game stays until a new game.
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    press(21);
    press(14);
    QCOMPARE(m_board->statusText(), QString("Black wins: White has no pieces left"));
    press(28);
    press(24);
    QCOMPARE(m_board->statusText(), QString("Black wins: White has no pieces left"));
    m_board->newGame();
    QCOMPARE(m_board->statusText(), QString("Black to move (you)"));

    setUp(ECheckers::RULES_CODE, position({{22, MAN1}, {14, MAN2}}));
    press(22);
    press(18);
    waitForReply();
    QCOMPARE(m_board->statusText(), QString("White wins: Black has no pieces left"));

    setUp(ECheckers::RULES_CODE, position({{0, MAN1}, {8, MAN1}, {28, MAN2}}));
    press(8);
    press(4);
    QCOMPARE(m_board->statusText(), QString("Game over: neither side can move"));
}

void QtBoardTest::statusLineNamesPlayersAndColours_data()
{
    QTest::addColumn<int>("rules");
    QTest::addColumn<bool>("humanFirst");
    QTest::addColumn<bool>("secondHuman");
    QTest::addColumn<QString>("text");
    QTest::newRow("Russian, you first") << 25 << true << false << "White to move (you)";
    QTest::newRow("Russian, computer first") << 25 << false << false << "Black to move (you)";
    QTest::newRow("English, you first") << 21 << true << false << "Black to move (you)";
    QTest::newRow("English, computer first") << 21 << false << false << "White to move (you)";
    QTest::newRow("Russian, second player first")
        << 25 << false << true << "White to move (second player)";
    QTest::newRow("English, second player first")
        << 21 << false << true << "Black to move (second player)";
}

void QtBoardTest::statusLineNamesPlayersAndColours()
{
    QFETCH(int, rules);
    QFETCH(bool, humanFirst);
    QFETCH(bool, secondHuman);
    QFETCH(QString, text);
    m_board->rules = rules;
    m_board->humanFirst = humanFirst;
    m_board->secondHuman = secondHuman;
    m_board->newGame();
    QCOMPARE(m_board->statusText(), text);
}

void QtBoardTest::refusedMovesSayWhy()
{
    // Side 1's man on 22 must take side 2's man on 18.
    setUp(RCheckers::RULES_CODE, position({{22, MAN1}, {26, MAN1}, {18, MAN2}, {0, MAN2}}));
    QSignalSpy spy(m_board.get(), &QtBoard::statusChanged);
    press(26);
    QCOMPARE(m_board->statusText(), QString("That piece cannot move"));
    press(21);
    QCOMPARE(m_board->statusText(), QString("A capture is compulsory"));
    press(22); // another piece selected: the refusal gives way to the turn
    QCOMPARE(m_board->statusText(), QString("White to move (you)"));
    press(13); // no capture at all
    QCOMPARE(m_board->statusText(), QString("A capture is compulsory"));
    press(22); // the selected piece again, without a route: nothing changes
    QCOMPARE(m_board->statusText(), QString("A capture is compulsory"));
    QCOMPARE(spy.count(), 4);
    press(15);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(15)], int(MAN1));
    QCOMPARE(m_board->statusText(), QString("Black (computer) is replying"));

    setUp(RCheckers::RULES_CODE, startText());
    press(22);
    press(14);
    QCOMPARE(m_board->statusText(), QString("That move is not legal"));
    press(9); // a man of the computer's
    press(13);
    QCOMPARE(m_board->statusText(), QString("That move is not legal"));
    press(22);
    press(17);
    QCOMPARE(m_board->statusText(), QString("Black (computer) is replying"));
}

// ---- routes of a capture ----

void QtBoardTest::everyCaptureRouteCanBeEntered_data()
{
    // English men take forwards only. Side 1's man on 30 reaches 14 over 25 and 17 (landing on
    // 21) or over 26 and 18 (landing on 23); side 2's man on 1 reaches 17 over 5 and 13 (landing
    // on 8) or over 6 and 14 (landing on 10).
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("landing");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("taken");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("side 1 by the left")
        << 1 << 30 << 21 << 14 << QList<int>{25, 17} << QList<int>{26, 18};
    QTest::newRow("side 1 by the right")
        << 1 << 30 << 23 << 14 << QList<int>{26, 18} << QList<int>{25, 17};
    QTest::newRow("side 2 by the left")
        << 2 << 1 << 8 << 17 << QList<int>{5, 13} << QList<int>{6, 14};
    QTest::newRow("side 2 by the right")
        << 2 << 1 << 10 << 17 << QList<int>{6, 14} << QList<int>{5, 13};
}

void QtBoardTest::everyCaptureRouteCanBeEntered()
{
    QFETCH(int, side);
    QFETCH(int, from);
    QFETCH(int, landing);
    QFETCH(int, to);
    QFETCH(QList<int>, taken);
    QFETCH(QList<int>, kept);
    if (side == 1)
        setUp(ECheckers::RULES_CODE,
              position({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}}));
    else
        setUp(ECheckers::RULES_CODE,
              position({{1, MAN2}, {5, MAN1}, {6, MAN1}, {13, MAN1}, {14, MAN1}}), true, 2);
    const int opponent = side == 1 ? MAN2 : MAN1;
    const Checkers& engine = *m_board->engine;

    press(from);
    press(landing);
    QCOMPARE(m_board->selected, from);
    QCOMPARE(m_board->route(), std::vector<int>{landing});
    QCOMPARE(mark(landing), Mark::LANDING);
    QVERIFY(engine.board[engine.internal(from)] != FREE); // nothing moved yet
    press(to);
    QCOMPARE(engine.board[engine.internal(to)], side == 1 ? int(MAN1) : int(MAN2));
    for (int square : taken)
        QCOMPARE(engine.board[engine.internal(square)], int(FREE));
    for (int square : kept)
        QCOMPARE(engine.board[engine.internal(square)], opponent);
    QVERIFY(m_board->route().empty());
    QCOMPARE(mark(landing), Mark::NONE); // the route's dot is gone with the move
    for (int square : taken)
        QCOMPARE(mark(square), Mark::TAKEN);
    QCOMPARE(mark(to), Mark::FINAL);
}

void QtBoardTest::landingOffEveryRouteIsRefused()
{
    setUp(ECheckers::RULES_CODE,
          position({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}}));
    press(30);
    press(21);
    press(23); // on the other route, not after 21: a capture, but not a legal one
    QCOMPARE(m_board->route(), std::vector<int>{21});
    QCOMPARE(m_board->statusText(), QString("That move is not legal"));
    QCOMPARE(m_board->engine->board[m_board->engine->internal(30)], int(MAN1));
    // The piece chosen again gives up its route, and the refusal goes with it.
    press(30);
    QVERIFY(m_board->route().empty());
    QCOMPARE(mark(21), Mark::DESTINATION); // no dot: a landing to choose again
    QCOMPARE(m_board->statusText(), QString("Black to move (you)"));
    // A landing square added does away with a refusal too.
    press(31);
    QCOMPARE(m_board->statusText(), QString("A capture is compulsory"));
    press(21);
    QCOMPARE(m_board->statusText(), QString("Black to move (you)"));
    // Choosing another piece forgets the route and the refusal.
    press(23);
    press(25);
    QVERIFY(m_board->route().empty());
    QCOMPARE(mark(21), Mark::NONE);
    QCOMPARE(m_board->statusText(), QString("Black to move (you)"));
    // Start and final square alone play the engine's own choice, as they always did.
    press(30);
    press(14);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(14)], int(MAN1));
    QCOMPARE(countOf(*m_board->engine, MAN2), 2);
}

// ---- draws ----

void QtBoardTest::repetitionEndsInADraw()
{
    // Two people shuffle their kings: 29-25, 2-6, 25-29, 6-2 twice brings the first position
    // back for the third time.
    setUp(ECheckers::RULES_CODE, position({{29, KING1}, {2, KING2}}), true);
    const int moves[][2] = {{29, 25}, {2, 6}, {25, 29}, {6, 2}, {29, 25}, {2, 6}, {25, 29}};
    for (const auto& move : moves) {
        press(move[0]);
        press(move[1]);
    }
    QVERIFY(!m_board->gameOver);
    QVERIFY(m_messages->messages.empty());
    press(6);
    press(2);
    QVERIFY(m_board->gameOver);
    QCOMPARE(m_board->result, 4);
    QCOMPARE(m_messages->texts(), QStringList{"Game Over! Draw by threefold repetition!"});
    QCOMPARE(m_board->statusText(), QString("Draw: the same position for the third time"));
    // A further move is refused; each click shows the message again.
    press(29);
    press(25);
    QCOMPARE(m_board->engine->board[m_board->engine->internal(29)], int(KING1));
    QCOMPARE(m_messages->messages.size(), std::size_t(3));
}

void QtBoardTest::balanceDrawIsAnnounced_data()
{
    QTest::addColumn<QString>("game");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("4 pieces") << QString(balancegames::THIRTY_MOVES)
                              << "Draw: the balance did not change for 30 moves"
                              << "Game Over! Draw: 30 moves without a change!";
    QTest::newRow("6 pieces") << QString(balancegames::SIXTY_MOVES)
                              << "Draw: the balance did not change for 60 moves"
                              << "Game Over! Draw: 60 moves without a change!";
}

void QtBoardTest::balanceDrawIsAnnounced()
{
    QFETCH(QString, game);
    QFETCH(QString, status);
    QFETCH(QString, message);
    const Pdn::ReadResult read = Pdn::read(game.toStdString(), Colour::White);
    QVERIFY(!read.error);
    m_board->continueGame(read.games.at(0).record, false);
    QCOMPARE(m_board->statusText(), status);
    press(0); // a click on the finished game shows how it ended
    QCOMPARE(m_messages->texts(), QStringList{message});

    // Between two people the turn is the record's; a piece that could move shows no marks.
    m_board->continueGame(read.games.at(0).record, true);
    const std::vector<GameMove>& moves = m_board->record.legalMoves().all();
    QVERIFY(!moves.empty());
    press(moves.front().from);
    QCOMPARE(destinationMarks(), QList<int>{});
}

// A failed save stands on the status line over the turn until a save succeeds; a refusal, and
// the end of the game, are shown over it.
void QtBoardTest::failedSaveIsShownUntilASaveSucceeds()
{
    const QString unsaved("The game could not be saved");
    QVERIFY(!m_board->keepGameIn("/nonexistent/checkers.pdn"));
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    QCOMPARE(m_board->statusText(), unsaved);
    press(28);
    press(24);
    QCOMPARE(m_board->statusText(), QString("A capture is compulsory"));
    press(21);
    press(14);
    QCOMPARE(m_board->statusText(), QString("Black wins: White has no pieces left"));
    m_board->newGame();
    QCOMPARE(m_board->statusText(), unsaved);

    QTemporaryDir folder;
    QVERIFY(!m_board->keepGameIn((folder.path() + "/checkers.pdn").toStdString()));
    m_board->newGame();
    QCOMPARE(m_board->statusText(), QString("Black to move (you)"));
}

// ---- every game kept ----

// games.pdn beside the kept game gets an ending once, however often its box is shown, and a game
// left after a person's move; not a game resumed ended, nor one left after the computer's opening.
void QtBoardTest::gamesPlayedAreAdded()
{
    QTemporaryDir folder;
    QVERIFY(!m_board->keepGameIn(QFile::encodeName(folder.path() + "/checkers.pdn").toStdString()));
    m_board->newGame();
    m_board->continueGame(Pdn::read(balancegames::THIRTY_MOVES, Colour::White).games.at(0).record,
                          false);
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    for (int square : {21, 14, 28})
        press(square);
    m_board->humanFirst = false;
    m_board->newGame();
    m_board->newGame();
    press(21);
    press(17);
    m_board->newGame();
    QCOMPARE(resultsIn(folder.path() + "/games.pdn"), (QStringList{"0-1", "*"}));
}

// With games.pdn unwritable the game is still kept in checkers.pdn; the box at the end says the
// game could not be saved, and the status line says it once the end is no longer shown.
void QtBoardTest::failedAdditionIsShownInTheBoxAndTheStatusLine()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("games.pdn")));
    const QString kept = folder.path() + QStringLiteral("/checkers.pdn");
    QVERIFY(!m_board->keepGameIn(QFile::encodeName(kept).toStdString()));
    setUp(ECheckers::RULES_CODE, position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    press(21);
    press(14);
    const QString unsaved("The game could not be saved");
    QCOMPARE(m_messages->texts(),
             QStringList{"Game Over! You win!\nWhite has no pieces left\n" + unsaved});
    QCOMPARE(resultsIn(kept), QStringList{"0-1"});
    m_board->newGame();
    QCOMPARE(m_board->statusText(), unsaved);
}

// ---- where the selected piece can go, and the hint ----

void QtBoardTest::marksShowWhereTheSelectedPieceCanGo_data()
{
    QTest::addColumn<int>("rules");
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("sideToMove"); // 2: a second person's turn
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<QString>("status");
    const QString start = QString::fromStdString(startText());
    // Side 1's man on 30 takes two men to 14 by the left (landing on 21) or by the right (23);
    // side 2's man on 1 two men to 17, landing on 8 or on 10. A new selection, a move and a
    // refusal are told apart.
    const QString twoRoutes = QString::fromStdString(
        position({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}}));
    const QString side2Routes =
        QString::fromStdString(position({{1, MAN2}, {5, MAN1}, {6, MAN1}, {13, MAN1}, {14, MAN1}}));
    const QString person("White to move (you)");
    QTest::newRow("a man's two steps")
        << 25 << start << 1 << QList<int>{22} << QList<int>{17, 18} << person;
    QTest::newRow("a man that cannot move")
        << 25 << start << 1 << QList<int>{22, 28} << QList<int>{} << "That piece cannot move";
    QTest::newRow("the computer's man while it replies")
        << 25 << start << 1 << QList<int>{22, 18, 9} << QList<int>{}
        << "Black (computer) is replying";
    QTest::newRow("the computer's man")
        << 25 << start << 1 << QList<int>{9} << QList<int>{} << person;
    QTest::newRow("a refused entry keeps them")
        << 25 << start << 1 << QList<int>{22, 13} << QList<int>{17, 18} << "That move is not legal";
    QTest::newRow("the move clears them")
        << 25 << start << 1 << QList<int>{22, 18} << QList<int>{} << "Black (computer) is replying";
    QTest::newRow("two routes: the first landings")
        << 21 << twoRoutes << 1 << QList<int>{30} << QList<int>{14, 21, 23}
        << "Black to move (you)";
    QTest::newRow("a route chosen")
        << 21 << twoRoutes << 1 << QList<int>{30, 23} << QList<int>{14} << "Black to move (you)";
    QTest::newRow("a second person's routes")
        << 21 << side2Routes << 2 << QList<int>{1} << QList<int>{8, 10, 17}
        << "Black to move (second player)";
}

void QtBoardTest::marksShowWhereTheSelectedPieceCanGo()
{
    QFETCH(int, rules);
    QFETCH(QString, position);
    QFETCH(int, sideToMove);
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, marked);
    QFETCH(QString, status);
    setUp(rules, position.toStdString(), sideToMove == 2, sideToMove);
    for (int square : clicks)
        press(square);
    QCOMPARE(destinationMarks(), marked);
    QCOMPARE(m_board->statusText(), status);
}

// At 70-pixel cells the mark is 23 pixels across, three pixels wide, 23 pixels in from the
// cell's edges, whole under the cursor; on 7-pixel cells it is left out.
void QtBoardTest::destinationMarkIsASmallSquareClearOfTheEdge()
{
    press(22);
    m_board->cursor = cellOf(18);
    const QRect cell = m_board->rectFromPos(cellOf(18));
    const auto blackPixels = [&](const QRect& area) {
        const QImage image = m_board->grab().toImage();
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                count += greyLevel(image, x, y) == BLACK_LEVEL ? 1 : 0;
        }
        return count;
    };
    const QRect inside = cell.adjusted(CURSOR_EDGE, CURSOR_EDGE, -CURSOR_EDGE, -CURSOR_EDGE);
    QCOMPARE(blackPixels(QRect(cell.topLeft() + QPoint(23, 23), QSize(23, 23))), 23 * 23 - 17 * 17);
    QCOMPARE(blackPixels(inside), 23 * 23 - 17 * 17);
    m_board->resize(100, 100);
    QCOMPARE(blackPixels(m_board->rectFromPos(cellOf(17))), 0);
}

// New, Undo and the computer's reply take the marks away; choosing the piece again brings them.
void QtBoardTest::marksGoWithTheSelection()
{
    press(22);
    QCOMPARE(destinationMarks(), (QList<int>{17, 18}));
    m_board->newGame();
    QCOMPARE(destinationMarks(), QList<int>{});
    press(22);
    QCOMPARE(destinationMarks(), (QList<int>{17, 18}));
    press(18);
    waitForReply();
    press(21);
    QVERIFY(!destinationMarks().isEmpty());
    QVERIFY(m_board->undo());
    QCOMPARE(destinationMarks(), QList<int>{});
    QCOMPARE(m_board->selected, -1); // and the selection with them
}

// H selects the piece of the computer's choice, chooses the landing squares its route needs and
// puts the cursor on its final square, leaving the game as it was; Return plays it. Not while the
// reply is due. A second person gets the hint for their side.
void QtBoardTest::hintShowsTheMoveAndReturnPlaysIt()
{
    setUp(ECheckers::RULES_CODE,
          position({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}}));
    const std::string before = m_board->engine->toString(false);
    pressKey(m_board.get(), Qt::Key_H);
    QCOMPARE(m_board->statusText(), QString("Thinking…"));
    waitForHint();
    QCOMPARE(m_board->engine->toString(false), before);
    QVERIFY(m_board->engine->undo_list.empty());
    QVERIFY(m_board->record.moves().empty());
    QCOMPARE(m_board->selectedCell, cellOf(30));
    QCOMPARE(m_board->cursor, cellOf(14));
    QCOMPARE(m_board->route().size(), std::size_t(1));
    const int landing = m_board->route().front();
    QCOMPARE(destinationMarks(), QList<int>{14});
    const QString hint = m_board->statusText();

    pressKey(m_board.get(), Qt::Key_Return);
    QCOMPARE(m_board->record.moves().size(), std::size_t(1));
    QCOMPARE(m_board->record.lastMove()->landings.front(), landing);
    QCOMPARE(hint, "Hint: " + QString::fromStdString(m_board->record.moveText(0)));
    pressKey(m_board.get(), Qt::Key_H);
    QCOMPARE(m_board->statusText(), QString("White (computer) is replying"));

    // The second person plays White here, with Black at the bottom.
    setUp(RCheckers::RULES_CODE, position({{11, MAN2}, {31, MAN1}}), true, 2);
    pressKey(m_board.get(), Qt::Key_H);
    waitForHint();
    QCOMPARE(m_board->statusText(), QString("Hint: a3-b4"));
}

// A second H, flagged as a repeat or not, while the hint is searched starts nothing; nor does
// the press of a held H's release/press pair once the hint is shown.
void QtBoardTest::hintAskedWhileOneIsSearchedStartsNoSearch()
{
    pressKey(m_board.get(), Qt::Key_H);
    QVERIFY(m_board->hintPending());
    pressKey(m_board.get(), Qt::Key_H);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_H, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(m_board.get(), &repeat);
    QCOMPARE(m_board->statusText(), QString("Thinking…"));
    waitForHint();
    QVERIFY(m_board->statusText().startsWith("Hint: "));
    constexpr ulong REPEAT_TIME = 5000;
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent half(type, Qt::Key_H, Qt::NoModifier);
        half.setTimestamp(REPEAT_TIME);
        QApplication::sendEvent(m_board.get(), &half);
    }
    QVERIFY(!m_board->hintPending());
    QCOMPARE(m_board->thinker()->requests(), std::uint64_t(1));
}

// New stops the running search at once: when it returns, the search has been told to stop and no
// reply is awaited; the worker is idle soon after, and the new game stays as it began.
void QtBoardTest::newGameStopsTheSearchAtOnce()
{
    m_board->moveTime = LONG_SEARCH_MS;
    m_board->newGame();
    press(22);
    press(18);
    QTRY_VERIFY_WITH_TIMEOUT(m_board->thinker() && m_board->thinker()->searching(),
                             REPLY_TIMEOUT_MS);
    const Thinker* const thinker = m_board->thinker();
    m_board->newGame();
    QVERIFY(!m_board->replyPending());
    // Told to stop, unless the worker has already seen the flag and finished.
    QVERIFY(thinker->stopping() || !thinker->busy());
    QElapsedTimer clock;
    clock.start();
    while (thinker->busy() && clock.elapsed() < REPLY_TIMEOUT_MS)
        QThread::msleep(1);
    QVERIFY(!thinker->busy());
    qInfo("the worker was idle %lld ms after New", clock.elapsed());
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QVERIFY(m_board->record.moves().empty());
}

// At Grandmaster the reply is searched on the worker while the board answers keys; a reply
// taken back by Undo before it is found never reaches the game.
void QtBoardTest::grandmastersReplyThinksOffTheGuiThread()
{
    m_board->moveTime = LONG_SEARCH_MS;
    m_board->newGame();
    press(22);
    press(18);
    QTRY_VERIFY_WITH_TIMEOUT(m_board->thinker() && m_board->thinker()->searching(),
                             REPLY_TIMEOUT_MS);
    QVERIFY(m_board->replyPending());
    QCOMPARE(m_board->statusText(), QString("Black (computer) is replying"));
    const QPoint before = m_board->cursor;
    pressKey(m_board.get(), Qt::Key_Left);
    QCOMPARE(m_board->cursor, QPoint(before.x() - 1, before.y()));
    QVERIFY(m_board->undo());
    QVERIFY(!m_board->replyPending());
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->thinker()->busy(), REPLY_TIMEOUT_MS);
    QTest::qWait(AFTER_REPLY_WAIT_MS);
    QCOMPARE(m_board->engine->toString(false), startText());
    QVERIFY(m_board->record.moves().empty());

    // Left alone, the reply is made, by the worker: the game's engine makes no tables of its own.
    m_board->engine->moveTime = Checkers::GRANDMASTER_MS;
    press(22);
    press(18);
    QTRY_VERIFY_WITH_TIMEOUT(!m_board->replyPending(), 2 * REPLY_TIMEOUT_MS);
    QCOMPARE(m_board->record.moves().size(), std::size_t(2));
    QCOMPARE(m_board->engine->finishedDepth(), 0);
}

void QtBoardTest::changesClearTheSelection_data()
{
    QTest::addColumn<QString>("change");
    for (const char* change : {"move of side 2", "undo", "redo", "new game", "hint, undo"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

// A move of either side, Undo, Redo and New leave no selection, route, marks or hint behind:
// Return after a hint and an undo plays nothing.
void QtBoardTest::changesClearTheSelection()
{
    QFETCH(QString, change);
    // The hint and the undo are the person's against the computer; the rest, two people's.
    m_board->secondHuman = change != "hint, undo";
    m_board->newGame();
    press(22);
    press(18);
    waitForReply();
    QCOMPARE(m_board->selectedCell, NO_CELL);
    if (change == "move of side 2") {
        press(9);
        press(13);
        QCOMPARE(m_board->record.moves().size(), std::size_t(2));
    } else if (change == "hint, undo") {
        pressKey(m_board.get(), Qt::Key_H);
        waitForHint();
        QVERIFY(m_board->selected != -1);
        QVERIFY(m_board->undo());
        pressKey(m_board.get(), Qt::Key_Return);
        QVERIFY(m_board->record.moves().empty());
    } else {
        press(9);
        if (change == "undo") {
            QVERIFY(m_board->undo());
        } else if (change == "redo") {
            QVERIFY(m_board->undo());
            press(22);
            QVERIFY(m_board->redo());
        } else {
            m_board->newGame();
        }
    }
    QCOMPARE(m_board->selected, -1);
    QCOMPARE(m_board->selectedCell, NO_CELL);
    QVERIFY(m_board->route().empty());
    QCOMPARE(destinationMarks(), QList<int>{});
    QVERIFY(!m_board->statusText().startsWith("Hint: "));
}

// Two undone steps redone give back the same position, record, marks and kept file; a move
// played after an undo drops what was left to redo.
void QtBoardTest::redoGivesBackWhatUndoTookBack()
{
    QTemporaryDir folder;
    const std::string path = QDir(folder.path()).filePath("checkers.pdn").toStdString();
    QVERIFY(!m_board->keepGameIn(path));
    m_board->newGame();
    for (const auto& [from, to] : {std::pair{22, 18}, std::pair{21, 17}}) {
        press(from);
        press(to);
        waitForReply();
    }
    const auto kept = [&] {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray keptBefore = kept();
    const std::string before = m_board->engine->toString(false);
    const std::vector<std::string> undoList = m_board->engine->undo_list;
    const QImage image = m_board->grab().toImage();

    QVERIFY(m_board->undo());
    QVERIFY(m_board->undo());
    QVERIFY(kept() != keptBefore);
    QVERIFY(m_board->redo());
    QCOMPARE(m_board->record.moves().size(), std::size_t(2));
    QVERIFY(m_board->redo());
    QVERIFY(!m_board->redo());
    QCOMPARE(m_board->engine->toString(false), before);
    QCOMPARE(m_board->engine->undo_list, undoList);
    QCOMPARE(m_board->grab().toImage(), image);
    QCOMPARE(kept(), keptBefore);
    QVERIFY(!m_board->replyPending());

    QVERIFY(m_board->undo());
    press(23);
    press(19);
    QVERIFY(!m_board->redo());
}

QTEST_MAIN(QtBoardTest)
// ---- words at the end and coordinates ----

// A side that lost its last piece is told so, a blocked one that it cannot move; the box says
// "you" and "the computer" against the computer and the colours when two people play.
void QtBoardTest::endingNamesTheWinnerAndWhy_data()
{
    QTest::addColumn<QString>("text"); // the position text
    QTest::addColumn<bool>("secondHuman");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("box");
    // English, side 1 black: its man on 22 takes 18 or steps to 18; white's man on 28 is stuck.
    const QString lastTaken =
        QString::fromStdString(position({{21, MAN1}, {17, MAN2}, {28, MAN1}}));
    const QString blocked = QString::fromStdString(position({{22, MAN1}, {28, MAN2}}));
    QTest::newRow("no pieces left, computer")
        << lastTaken << false << "Black wins: White has no pieces left"
        << "Game Over! You win!\nWhite has no pieces left";
    QTest::newRow("blocked, computer") << blocked << false << "Black wins: White cannot move"
                                       << "Game Over! You win!\nWhite cannot move";
    QTest::newRow("no pieces left, two people")
        << lastTaken << true << "Black wins: White has no pieces left"
        << "Game Over! Black wins!\nWhite has no pieces left";
    QTest::newRow("blocked, two people") << blocked << true << "Black wins: White cannot move"
                                         << "Game Over! Black wins!\nWhite cannot move";
}

void QtBoardTest::endingNamesTheWinnerAndWhy()
{
    QFETCH(QString, text);
    QFETCH(bool, secondHuman);
    QFETCH(QString, status);
    QFETCH(QString, box);
    setUp(ECheckers::RULES_CODE, text.toStdString(), secondHuman);
    const bool capture = m_board->engine->board[m_board->engine->internal(21)] == MAN1;
    press(capture ? 21 : 22);
    press(capture ? 14 : 18);
    QCOMPARE(m_board->statusText(), status);
    QCOMPARE(m_messages->texts(), QStringList{box});
}

void QtBoardTest::cursorStartsOnAManOfThePerson()
{
    QtBoard board;
    board.resize(BOARD_WIDTH, BOARD_HEIGHT);
    const QPoint start = board.cursor;
    pressKey(&board, Qt::Key_Return);
    QVERIFY(board.selected >= 0);
    QCOMPARE(cellOf(board.selected), start);
    QCOMPARE(board.engine->board[board.engine->internal(board.selected)], int(MAN1));
}

namespace
{

constexpr int MARGIN = 20;     // at 600 by 800 the board starts 20 pixels in
constexpr int DARK_LEVELS = 4; // grey levels 0..3 of 16 read as ink

// How many pixels of `box` are ink in 16 greys.
int inkIn(const QImage& image, const QRect& box)
{
    int ink = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            ink += greyLevel(image, x, y) < DARK_LEVELS ? 1 : 0;
    }
    return ink;
}

// The label of a row, left of the board, and of a column, below it.
QRect rowLabel(const QtBoard& board, int row)
{
    const QRect cell = board.rectFromPos(QPoint(0, row));
    return QRect(cell.left() - MARGIN, cell.top(), MARGIN, cell.height());
}

QRect columnLabel(const QtBoard& board, int column)
{
    const QRect cell = board.rectFromPos(QPoint(column, 7));
    return QRect(cell.left(), cell.bottom() + 1, cell.width(), MARGIN);
}

} // namespace

// Row digits and column letters are drawn in the margin, dark enough to read in 16 greys, and
// turn with the board: with black at the bottom, the top row is row 1 and the right column a.
void QtBoardTest::russianCoordinatesTurnWithTheBoard()
{
    m_board->clearFocus();
    const QImage whiteBelow = m_board->grab().toImage();
    for (int i = 0; i < 8; ++i) {
        QVERIFY2(inkIn(whiteBelow, rowLabel(*m_board, i)) > 10, qPrintable(QString::number(i)));
        QVERIFY(inkIn(whiteBelow, columnLabel(*m_board, i)) > 10);
    }
    QVERIFY(whiteBelow.copy(rowLabel(*m_board, 0)) != whiteBelow.copy(rowLabel(*m_board, 7)));

    m_board->humanFirst = false;
    m_board->secondHuman = true;
    m_board->newGame();
    const QImage blackBelow = m_board->grab().toImage();
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(blackBelow.copy(rowLabel(*m_board, i)),
                 whiteBelow.copy(rowLabel(*m_board, 7 - i)));
        QCOMPARE(blackBelow.copy(columnLabel(*m_board, i)),
                 whiteBelow.copy(columnLabel(*m_board, 7 - i)));
    }
}

// English square numbers sit in a corner of each dark square, inside the band of the cursor and
// the frame, and turn with the board; there are no letters in the margin.
void QtBoardTest::englishNumbersTurnWithTheBoardInsideTheFrame()
{
    m_board->rules = ECheckers::RULES_CODE;
    m_board->newGame();
    const QColor pen = m_board->palette().color(QPalette::WindowText);
    // The number's corner of an empty square, inside the 5-pixel band.
    const auto corner = [&](int square) {
        const QRect cell = m_board->rectFromPos(cellOf(square));
        return QRect(cell.right() - 25, cell.top() + CURSOR_EDGE, 21, 16);
    };
    m_board->cursor = cellOf(14);
    m_board->selectedCell = cellOf(14);
    const QImage blackBelow = m_board->grab().toImage();
    QCOMPARE(inkIn(blackBelow, rowLabel(*m_board, 3)), 0);
    const QRect cell = m_board->rectFromPos(cellOf(14));
    for (int i = 0; i < CURSOR_EDGE; ++i) {
        QCOMPARE(QColor(blackBelow.pixel(cell.right() - 10, cell.top() + i)), pen);
        QCOMPARE(QColor(blackBelow.pixel(cell.right() - i, cell.top() + 10)), pen);
    }
    QVERIFY(inkIn(blackBelow, corner(14)) > 5);
    QVERIFY(blackBelow.copy(corner(14)) != blackBelow.copy(corner(17)));

    m_board->humanFirst = false;
    m_board->secondHuman = true;
    m_board->newGame();
    const QImage whiteBelow = m_board->grab().toImage();
    for (int square : {14, 15, 16, 17})
        QCOMPARE(whiteBelow.copy(corner(31 - square)), blackBelow.copy(corner(square)));

    // The final square's outline stays whole where the number is: it moves inside.
    m_board->humanFirst = true;
    m_board->secondHuman = false;
    m_board->newGame();
    press(20);
    press(16);
    const QRect final = m_board->rectFromPos(cellOf(16));
    const int outline = final.width() / 8 + 1;
    const QImage moved = m_board->grab().toImage();
    for (int x = final.right() - 2 * outline; x < final.right() - outline; ++x)
        QCOMPARE(greyLevel(moved, x, final.top() + outline), BLACK_LEVEL);
    QVERIFY(inkIn(moved, final.adjusted(outline, outline, -outline, -outline)) > 5);
}

#include "qtboard_test.moc"
