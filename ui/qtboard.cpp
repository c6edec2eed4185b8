#include "qtboard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <iostream>
#include <utility>

#include "engine/endgametable.h"
#include "engine/position.h"
#include "game/hint.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

namespace
{

constexpr int MARGIN = 20; // free pixels left of and above the board
constexpr int CELLS_PER_SIDE = 8;
constexpr int DARK_PER_ROW = 2; // column / DARK_PER_ROW is the dark square's place in its row
constexpr int SQUARES_PER_ROW = 4;
constexpr int CURSOR_WIDTH = 5;         // thickness of the cursor's corner marks
constexpr int FRAME_WIDTH = 5;          // thickness of the selection frame
constexpr int CURSOR_ARM_NUMERATOR = 3; // each cursor arm reaches 3/10 of the cell
constexpr int CURSOR_ARM_DENOMINATOR = 10;
constexpr int REPLY_DELAY_MS = 500; // the computer answers half a second after a person's move
constexpr int DEFAULT_LEVEL = 2;    // plies the computer looks ahead until the settings say more

const QPoint START_CURSOR{3, 5};
const QPoint NO_CELL{-1, -1};
constexpr int NO_SQUARE = -1;

// Result codes of a finished game.
constexpr int RESULT_RUNNING = 0;
constexpr int RESULT_SIDE2_WINS = 1;
constexpr int RESULT_SIDE1_WINS = 2;
constexpr int RESULT_NOBODY_MOVES = 3;
constexpr int RESULT_DRAW = 4;

constexpr int SIDE_1 = 1;
constexpr int SIDE_2 = 2;

// The marks of the last move, in pixels at any cell size; each is drawn black, with white where
// it must show over a black piece. The start square gets a ring, every taken piece's square a
// cross and the final square an inner double outline; a landing square chosen for a capture gets
// a dot.
constexpr int RING_PEN_WIDTH = 4;
constexpr int RING_DIAMETER_DIVISOR = 2; // the ring spans half the cell
constexpr int CROSS_PEN_WIDTH = 4;
constexpr int CROSS_INSET_DIVISOR = 4; // the cross's arms end a quarter cell from the edges
constexpr int FINAL_INSET_DIVISOR = 8; // the outline lies an eighth of the cell inside the edges
constexpr int FINAL_BLACK_WIDTH = 3;
constexpr int FINAL_WHITE_WIDTH = 2;
constexpr int DOT_DIAMETER_DIVISOR = 5; // the landing dot is a fifth of the cell across
// Where the selected piece can go: a black square outline a third of the cell across, centred.
// Drawn only where it is open in the middle, it then stays at least 7 pixels (a third of the
// cell) inside the edges, clear of the cursor and the selection frame.
constexpr int DESTINATION_SIDE_DIVISOR = 3;
constexpr int DESTINATION_WIDTH = 3;

bool isDark(int column, int row)
{
    return (column + row) % 2 != 0;
}

int squareOf(int column, int row)
{
    return SQUARES_PER_ROW * row + column / DARK_PER_ROW;
}

// The column and row of a dark square: on even rows the dark fields start at column 1.
QPoint cellOf(int square)
{
    const int row = square / SQUARES_PER_ROW;
    return QPoint(DARK_PER_ROW * (square % SQUARES_PER_ROW) + (row % DARK_PER_ROW == 0 ? 1 : 0),
                  row);
}

bool isPiece(int value)
{
    return value == MAN1 || value == KING1 || value == KING2 || value == MAN2;
}

bool contains(const std::vector<int>& squares, int square)
{
    return std::find(squares.begin(), squares.end(), square) != squares.end();
}

// A square of side `size` centred in `rect`.
QRect centred(const QRect& rect, int size)
{
    return QRect(rect.left() + (rect.width() - size) / 2, rect.top() + (rect.height() - size) / 2,
                 size, size);
}

std::unique_ptr<QImage> loadImage(const char* name)
{
    return std::make_unique<QImage>(QCoreApplication::applicationDirPath() +
                                    QString::fromLatin1(name));
}

} // namespace

// Starts a provisional game with the defaults; the main window applies its settings and starts
// the real one.
QtBoard::QtBoard(QWidget* parent) : QWidget(parent)
{
    selected = NO_SQUARE;
    rules = RCheckers::RULES_CODE;
    humanFirst = true;
    level = DEFAULT_LEVEL;
    secondHuman = false;
    gameOver = true;
    engine = std::make_unique<RCheckers>();
    cursor = START_CURSOR;
    selectedCell = NO_CELL;

    imgManWhite = loadImage("/images/manwhite.xpm");
    imgManBlack = loadImage("/images/manblack.xpm");
    imgKingWhite = loadImage("/images/kingwhite.xpm");
    imgKingBlack = loadImage("/images/kingblack.xpm");

    connect(this, &QtBoard::compMoveSignal, this, &QtBoard::compMoveSlot, Qt::QueuedConnection);

    m_replyTimer.setSingleShot(true);
    // A coarse timer may answer up to 5 % early or late; the half second is kept exactly.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &QtBoard::compMoveSlot);

    set_checkers();
    newGame();

    cursor = START_CURSOR;
    selectedCell = NO_CELL;
    update();
}

QtBoard::~QtBoard() = default;

std::shared_ptr<const EndgameTable> QtBoard::endgameTables(int rulesCode)
{
    const auto known = m_tables.find(rulesCode);
    if (known != m_tables.end())
        return known->second;
    auto tables = std::make_shared<EndgameTable>();
    std::string error;
    const std::string directory =
        (QCoreApplication::applicationDirPath() + "/tables").toStdString();
    const MoveGenerator::Rules rules = rulesCode == ruleset::RUSSIAN
                                           ? MoveGenerator::Rules::RUSSIAN
                                           : MoveGenerator::Rules::ENGLISH;
    if (!tables->open(directory, rules, error)) {
        std::cerr << "checkers: playing without endgame tables: " << error << '\n';
        tables.reset();
    }
    return m_tables[rulesCode] = tables;
}

void QtBoard::newGame()
{
    // A reply scheduled for the old game must never be played on the new one.
    cancelReply();
    if (m_archive)
        m_archive->leave(record);

    engine.reset();
    if (rules == RCheckers::RULES_CODE)
        engine = std::make_unique<RCheckers>();
    else
        engine = std::make_unique<ECheckers>();
    engine->level = level;
    engine->moveTime = moveTime;
    engine->endgameTable = endgameTables(rules);

    CheckersBoard& view = *this;
    view.set_checkers();

    result = RESULT_RUNNING;
    gameOver = false;
    record = GameRecord(engine->type(), ruleset::side1Colour(engine->type(), humanFirst));
    m_gameDate = SavedGame::today();
    m_route.clear();
    m_marks.clear();
    clearNotice();
    if (secondHuman) {
        side1ToMove = humanFirst;
    } else {
        if (!humanFirst) {
            engine->go2();
            record.playResulting(positionOf(*engine));
            followRecord();
        }
        side1ToMove = true;
    }
    view.set_checkers();
    keepGame();
    refreshStatus();
}

void QtBoard::continueGame(GameRecord game, bool secondHumanPlays)
{
    cancelReply();
    if (m_archive)
        m_archive->leave(record);
    rules = game.rules();
    humanFirst = game.side1Colour() == ruleset::firstMover(game.rules());
    secondHuman = secondHumanPlays;
    engine = ruleset::makeEngine(rules);
    engine->level = level;
    engine->moveTime = moveTime;
    engine->endgameTable = endgameTables(rules);
    record = std::move(game);
    followRecord();
    m_route.clear();
    m_marks.clear();
    clearNotice();

    const int toMove = record.sideToMove();
    side1ToMove = secondHuman ? toMove == SIDE_1 : true;
    gameOver = record.over();
    result = RESULT_RUNNING;
    if (gameOver) {
        if (record.result() == GameResult::DRAW)
            result = RESULT_DRAW;
        else if (record.colourOf(SIDE_1) ==
                 (record.result() == GameResult::WHITE_WINS ? Colour::White : Colour::Black))
            result = RESULT_SIDE1_WINS;
        else
            result = RESULT_SIDE2_WINS;
    } else if (!secondHuman && toMove == SIDE_2) {
        // The game was kept between the person's move and the reply: the reply is still owed.
        m_replyTimer.start(REPLY_DELAY_MS);
    }
    CheckersBoard& view = *this;
    view.set_checkers();
    keepGame();
    refreshStatus();
}

bool QtBoard::keepGameIn(const std::string& path)
{
    m_savedGame = std::make_unique<SavedGame>(path);
    m_archive = std::make_unique<GameArchive>(GameArchive::besideFile(path));
    std::optional<SavedGame::Game> saved = m_savedGame->load(rules);
    if (!saved)
        return false;
    m_gameDate = saved->date;
    continueGame(std::move(saved->record), saved->secondHuman);
    return true;
}

void QtBoard::set_checkers()
{
    // The side that moves first is white under Russian rules and black under English rules;
    // under an unknown code side 1 is shown black.
    bool side1White = false;
    if (rules == RCheckers::RULES_CODE)
        side1White = humanFirst;
    else if (rules == ECheckers::RULES_CODE)
        side1White = !humanFirst;
    QImage* const whiteMan = imgManWhite.get();
    QImage* const whiteKing = imgKingWhite.get();
    QImage* const blackMan = imgManBlack.get();
    QImage* const blackKing = imgKingBlack.get();
    imgMan1 = side1White ? whiteMan : blackMan;
    imgKing1 = side1White ? whiteKing : blackKing;
    imgMan2 = side1White ? blackMan : whiteMan;
    imgKing2 = side1White ? blackKing : whiteKing;
}

bool QtBoard::undo()
{
    if (!record.undo())
        return false;

    cancelReply();
    followRecord();
    m_route.clear();
    m_marks.clear();
    clearNotice();

    // Undo goes back to before a move of side 1, so it is side 1's turn again, and a finished
    // game goes on from there.
    side1ToMove = true;
    gameOver = false;
    result = RESULT_RUNNING;
    keepGame();
    refreshStatus();
    return true;
}

QString QtBoard::statusText() const
{
    StatusLine::State state;
    const int toMove = record.sideToMove();
    state.toMove = record.colourOf(toMove);
    if (toMove == SIDE_1)
        state.player = StatusLine::Player::PERSON;
    else
        state.player =
            secondHuman ? StatusLine::Player::SECOND_PERSON : StatusLine::Player::COMPUTER;
    state.replying = replyPending();
    state.refusal = m_refusal;
    state.hint = m_hintText;
    state.unsaved = m_saveFailed || (m_archive && m_archive->failed());
    if (gameOver) {
        switch (result) {
        case RESULT_SIDE1_WINS:
            state.ending = StatusLine::Ending::WIN;
            state.winner = record.colourOf(SIDE_1);
            break;
        case RESULT_SIDE2_WINS:
            state.ending = StatusLine::Ending::WIN;
            state.winner = record.colourOf(SIDE_2);
            break;
        case RESULT_DRAW:
            state.ending = StatusLine::Ending::DRAW;
            state.drawReason = record.reason();
            break;
        default:
            state.ending = StatusLine::Ending::NOBODY_CAN_MOVE;
            break;
        }
    }
    return StatusLine::text(state);
}

void QtBoard::refreshStatus()
{
    const QString text = statusText();
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(m_status);
}

void QtBoard::clearNotice()
{
    m_refusal = StatusLine::Refusal::NONE;
    m_hintText.clear();
}

void QtBoard::markDestinations(bool newSelection)
{
    m_marks.clear();
    const LegalMoves& legal = record.legalMoves();
    const int side = side1ToMove ? SIDE_1 : SIDE_2;
    // A piece of the side not to move shows nothing, nor does the computer's while its reply is
    // due: it may be looked at, not played.
    if (gameOver || record.sideToMove() != side || !legal.hasPieceOn(selected))
        return;
    m_marks = legal.destinations(selected, m_route);
    if (m_marks.empty() && newSelection)
        m_refusal = StatusLine::Refusal::PIECE_CANNOT_MOVE;
}

bool QtBoard::showHint()
{
    const int side = side1ToMove ? SIDE_1 : SIDE_2;
    if (gameOver || replyPending() || record.sideToMove() != side)
        return false;
    if (!m_hint)
        m_hint = std::make_unique<Hint>();
    const std::optional<Hint::Suggestion> hint = m_hint->find(record, *engine);
    if (!hint)
        return false;
    selected = hint->move.from;
    selectedCell = cellOf(selected);
    m_route = hint->landings;
    cursor = cellOf(hint->move.to);
    clearNotice();
    m_hintText = QString::fromStdString(hint->text);
    markDestinations(false);
    refreshStatus();
    repaint();
    return true;
}

void QtBoard::followRecord()
{
    placePosition(*engine, record.position());
    engine->undo_list = record.engineUndoList();
}

void QtBoard::keepGame()
{
    if (m_savedGame)
        m_saveFailed = !m_savedGame->save(record, secondHuman, m_gameDate);
    if (m_archive)
        m_archive->follow(record, secondHuman, m_gameDate);
}

int QtBoard::cellSize() const
{
    return (std::min(width(), height()) - 2 * MARGIN) / CELLS_PER_SIDE;
}

QRect QtBoard::rectFromPos(const QPoint& pos) const
{
    const int size = cellSize();
    if (size <= 0 || pos.x() < 0 || pos.x() >= CELLS_PER_SIDE || pos.y() < 0 ||
        pos.y() >= CELLS_PER_SIDE)
        return QRect();
    return QRect(MARGIN + size * pos.x(), MARGIN + size * pos.y(), size, size);
}

// The cell under a pixel, or (-1, -1) off the board.
QPoint QtBoard::posFromMouse(const QPoint& pixel) const
{
    const int size = cellSize();
    if (size <= 0)
        return NO_CELL;
    // Truncation towards zero gives the margin within one cell of the board to the first
    // column and row.
    const int column = (pixel.x() - MARGIN) / size;
    const int row = (pixel.y() - MARGIN) / size;
    if (column < 0 || column >= CELLS_PER_SIDE || row < 0 || row >= CELLS_PER_SIDE)
        return NO_CELL;
    return QPoint(column, row);
}

void QtBoard::mousePressEvent(QMouseEvent* event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QPoint pixel = event->position().toPoint();
#else
    const QPoint pixel = event->pos();
#endif
    const QPoint pos = posFromMouse(pixel);
    if (pos == NO_CELL)
        return;
    cursor = pos;
    click();
}

void QtBoard::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Select:
        click();
        break;
    case Qt::Key_Left:
        cursorLeft();
        break;
    case Qt::Key_Up:
        cursorUp();
        break;
    case Qt::Key_Right:
        cursorRight();
        break;
    case Qt::Key_Down:
        cursorDown();
        break;
    case Qt::Key_H:
        showHint();
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void QtBoard::paintEvent(QPaintEvent* /*event*/)
{
    // All cells are walked every time; the paint system clips to the region that was invalidated.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QBrush dark(Qt::gray, Qt::SolidPattern);
    const QBrush light(Qt::white, Qt::SolidPattern);
    const QBrush savedBrush = painter.brush();

    int square = 0;
    for (int row = 0; row < CELLS_PER_SIDE; ++row) {
        for (int column = 0; column < CELLS_PER_SIDE; ++column) {
            if (isDark(column, row)) {
                drawItem(painter, column, row, square, dark);
                ++square;
            } else {
                drawItem(painter, column, row, 0, light);
            }
        }
    }
    painter.setBrush(savedBrush);
}

void QtBoard::cursorLeft()
{
    moveCursor(-1, 0);
}

void QtBoard::cursorRight()
{
    moveCursor(1, 0);
}

void QtBoard::cursorUp()
{
    moveCursor(0, -1);
}

void QtBoard::cursorDown()
{
    moveCursor(0, 1);
}

void QtBoard::moveCursor(int columnStep, int rowStep)
{
    const QRect old = rectFromPos(cursor);
    // Adding a whole board before taking the remainder wraps a step off either edge.
    cursor = QPoint((cursor.x() + columnStep + CELLS_PER_SIDE) % CELLS_PER_SIDE,
                    (cursor.y() + rowStep + CELLS_PER_SIDE) % CELLS_PER_SIDE);
    // Only the two cells change on the screen; the e-paper panel is spared a full refresh.
    update(old);
    update(rectFromPos(cursor));
}

// Acts on the cell under the cursor: a piece is selected, a free square receives the selected
// piece if the engine allows it. Repaints the board unless a move's flow has already done so, and
// repeats the game-over message while the game is over.
void QtBoard::click()
{
    const int column = cursor.x();
    const int row = cursor.y();
    if (isDark(column, row)) {
        const int square = squareOf(column, row);
        const int value = engine->board[engine->internal(square)];
        if (value == FREE && selected != NO_SQUARE) {
            if (offerMove(selected, square))
                return;
        } else if (isPiece(value)) {
            // Choosing the selected piece again completes a capture back to its start or gives
            // up the route chosen so far.
            if (square == selected && offerMove(selected, square))
                return;
            const bool newSelection = square != selected;
            if (newSelection) {
                m_route.clear();
                clearNotice();
            }
            selected = square;
            selectedCell = cursor;
            markDestinations(newSelection);
            refreshStatus();
        }
    }
    if (gameOver)
        gameOverSlot();
    repaint();
}

// The record judges the entry for the side to move and the board shows its answer: the move
// played, the route grown by a landing square or given up, or the reason for a refusal on the
// status line until the selection or the route changes.
bool QtBoard::offerMove(int from, int to)
{
    // Side 1 has moved and waits for the computer: a second move now would be out of turn.
    if (replyPending())
        return false;
    const int side = side1ToMove ? SIDE_1 : SIDE_2;
    if (record.sideToMove() != side)
        return false;
    switch (record.enter(from, m_route, to)) {
    case GameRecord::Entry::PLAYED:
        m_route.clear();
        m_marks.clear();
        clearNotice();
        followRecord();
        if (side == SIDE_1)
            afterMoveOfSide1();
        else
            afterMoveOfSide2();
        return true;
    case GameRecord::Entry::LANDING:
        m_route.push_back(to);
        clearNotice();
        markDestinations(false);
        break;
    case GameRecord::Entry::ROUTE_CLEARED:
        // Reached only by choosing the piece again, which marks its squares afresh.
        if (!m_route.empty()) {
            m_route.clear();
            clearNotice();
        }
        break;
    case GameRecord::Entry::CAPTURE_COMPULSORY:
        clearNotice();
        m_refusal = StatusLine::Refusal::CAPTURE_COMPULSORY;
        break;
    case GameRecord::Entry::ILLEGAL:
        clearNotice();
        m_refusal = StatusLine::Refusal::ILLEGAL;
        break;
    case GameRecord::Entry::GAME_OVER:
        return false;
    }
    refreshStatus();
    return false;
}

// After a person's move of side 1: hands the turn to side 2 (the computer's reply is scheduled)
// or ends the game, and repaints.
void QtBoard::afterMoveOfSide1()
{
    keepGame();
    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side2Moves && !endedByDraw()) {
        gameOver = false;
        if (secondHuman)
            side1ToMove = false;
        else
            m_replyTimer.start(REPLY_DELAY_MS);
        refreshStatus();
        repaint();
        return;
    }
    if (result != RESULT_DRAW)
        result = side1Moves ? RESULT_SIDE1_WINS : RESULT_NOBODY_MOVES;
    refreshStatus();
    gameOverSlot();
    repaint();
}

// After a move of side 2 by a person: hands the turn back to side 1 or ends the game, and
// repaints.
void QtBoard::afterMoveOfSide2()
{
    keepGame();
    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side1Moves && !endedByDraw()) {
        gameOver = false;
        side1ToMove = true;
        refreshStatus();
        repaint();
        return;
    }
    if (result != RESULT_DRAW)
        result = side2Moves ? RESULT_SIDE2_WINS : RESULT_NOBODY_MOVES;
    refreshStatus();
    gameOverSlot();
    repaint();
}

bool QtBoard::endedByDraw()
{
    if (record.result() != GameResult::DRAW)
        return false;
    result = RESULT_DRAW;
    return true;
}

bool QtBoard::side1CanMove() const
{
    return engine->checkMove1() || engine->checkCapture1();
}

bool QtBoard::side2CanMove() const
{
    return engine->checkMove2() || engine->checkCapture2();
}

// The computer's reply: one move of side 2, the selection cleared, the board repainted, and the
// end of the game announced after the move is on the screen.
void QtBoard::compMoveSlot()
{
    // However the slot is reached, the reply it makes is the only one for this move.
    m_replyTimer.stop();
    // Made inside a dialog's or message box's own event loop, the reply would change the game
    // behind it, and its game-over box would open over it.
    if (QWidget* const modal = QApplication::activeModalWidget()) {
        holdReply(modal);
        return;
    }

    selected = NO_SQUARE;
    selectedCell = NO_CELL;
    m_route.clear();
    m_marks.clear();
    clearNotice();
    if (gameOver || record.sideToMove() != SIDE_2) {
        refreshStatus();
        repaint();
        if (gameOver)
            gameOverSlot();
        return;
    }
    engine->go2();
    // The engine found the move; the record learns which one it was. A position no legal move
    // leads to is never kept: the engine goes back to the record's.
    record.playResulting(positionOf(*engine));
    followRecord();
    keepGame();

    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side1Moves && !endedByDraw())
        gameOver = false;
    else if (result != RESULT_DRAW)
        result = side2Moves ? RESULT_SIDE2_WINS : RESULT_NOBODY_MOVES;
    refreshStatus();
    // The computer's last move is on the screen before the message covers it.
    repaint();
    if (gameOver)
        gameOverSlot();
}

void QtBoard::holdReply(QWidget* modal)
{
    if (m_replyHeldBy && m_replyHeldBy != modal)
        m_replyHeldBy->removeEventFilter(this);
    m_replyHeldBy = modal;
    modal->installEventFilter(this);
}

bool QtBoard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_replyHeldBy && event->type() == QEvent::Hide)
        playHeldReply();
    return QWidget::eventFilter(watched, event);
}

void QtBoard::playHeldReply()
{
    m_replyHeldBy->removeEventFilter(this);
    m_replyHeldBy = nullptr;
    // The modal loop ends right after its window is hidden; a timer without delay fires once the
    // code that opened it has had its say (accepted settings start a new game, dropping the
    // reply). Should another modal window still be open, the reply waits for that one.
    m_replyTimer.start(0);
}

void QtBoard::cancelReply()
{
    m_replyTimer.stop();
    if (m_replyHeldBy) {
        m_replyHeldBy->removeEventFilter(this);
        m_replyHeldBy = nullptr;
    }
}

// Shows how the game ended in a modal message box and returns when it is closed.
void QtBoard::gameOverSlot()
{
    QString outcome = tr("Nobody can move!");
    if (result == RESULT_SIDE2_WINS) {
        outcome = tr("Computer wins!");
    } else if (result == RESULT_SIDE1_WINS) {
        outcome = tr("You wins!");
    } else if (result == RESULT_DRAW) {
        switch (record.reason()) {
        case EndReason::REPETITION:
            outcome = tr("Draw by threefold repetition!");
            break;
        case EndReason::KINGS_ONLY:
            outcome = tr("Draw: 15 moves of kings only!");
            break;
        case EndReason::THREE_KINGS:
            outcome = tr("Draw: three kings against one!");
            break;
        case EndReason::FORTY_MOVES:
            outcome = tr("Draw: 40 moves without a man moving!");
            break;
        case EndReason::BALANCE_30:
            outcome = tr("Draw: 30 moves without a change!");
            break;
        case EndReason::BALANCE_60:
            outcome = tr("Draw: 60 moves without a change!");
            break;
        default:
            outcome = tr("Draw!");
            break;
        }
    }

    QMessageBox box(QMessageBox::Information, tr("Game Over"), tr("Game Over! %1").arg(outcome),
                    QMessageBox::NoButton, nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // The status line shows the end over a failed save; the box tells that the game was not added.
    if (m_archive && m_archive->failed())
        box.setText(box.text() + QLatin1Char('\n') + tr("The game could not be saved"));
    box.exec();
}

// Paints one cell completely: its fill, its piece stretched to the cell, and, while the board
// has the focus, the cursor and the selection frame. Leaves `brush` set on the painter.
void QtBoard::drawItem(QPainter& painter, int column, int row, int square, QBrush brush) const
{
    painter.setBrush(brush);
    const QRect rect = rectFromPos(QPoint(column, row));
    const QPen savedPen = painter.pen();
    painter.setPen(Qt::NoPen);
    painter.drawRect(rect);
    painter.setPen(savedPen);

    if (isDark(column, row)) {
        const QImage* image = nullptr;
        switch (engine->board[engine->internal(square)]) {
        case MAN1:
            image = imgMan1;
            break;
        case KING1:
            image = imgKing1;
            break;
        case KING2:
            image = imgKing2;
            break;
        case MAN2:
            image = imgMan2;
            break;
        default:
            break;
        }
        // A missing image file leaves its pieces undrawn; the cell keeps its fill.
        if (image != nullptr && !image->isNull()) {
            const int size = cellSize();
            painter.drawImage(QRectF(rect.left(), rect.top(), size, size), *image,
                              QRectF(0, 0, image->width(), image->height()));
        }
        drawMarks(painter, rect, square);
    }

    const QPoint pos(column, row);
    if (cursor == pos && hasFocus())
        drawCursor(painter, pos, CURSOR_WIDTH);
    if (selectedCell == pos && hasFocus())
        drawThickRect(painter, pos, FRAME_WIDTH);
}

// A frame `width` pixels thick inside the cell's edges, in the painter's pen.
void QtBoard::drawThickRect(QPainter& painter, const QPoint& pos, int width) const
{
    const QRect rect = rectFromPos(pos);
    const int size = cellSize();
    const QBrush savedBrush = painter.brush();
    painter.setBrush(Qt::NoBrush);
    // A one-pixel outline covers its right and bottom edge too, hence one less than the size.
    for (int i = 0; i < width; ++i)
        painter.drawRect(rect.left() + i, rect.top() + i, size - 1 - 2 * i, size - 1 - 2 * i);
    painter.setBrush(savedBrush);
}

// Four corner brackets `width` pixels thick, each arm reaching 3/10 of the cell, in the
// painter's pen.
void QtBoard::drawCursor(QPainter& painter, const QPoint& pos, int width) const
{
    if (width <= 0)
        return;
    const QRect rect = rectFromPos(pos);
    const int size = cellSize();
    const int arm = (CURSOR_ARM_NUMERATOR * size) / CURSOR_ARM_DENOMINATOR;
    const int left = rect.left();
    const int top = rect.top();
    const int right = left + size - 1;
    const int bottom = top + size - 1;
    // Every layer's arms end at the same distance from the corner, so the brackets stay square.
    for (int i = 0; i < width; ++i) {
        painter.drawLine(QPoint(left + i, top + i), QPoint(left + arm, top + i));
        painter.drawLine(QPoint(left + i, top + i), QPoint(left + i, top + arm));
        painter.drawLine(QPoint(left + i, bottom - i), QPoint(left + arm, bottom - i));
        painter.drawLine(QPoint(left + i, bottom - i), QPoint(left + i, bottom - arm));
        painter.drawLine(QPoint(right - i, top + i), QPoint(right - arm, top + i));
        painter.drawLine(QPoint(right - i, top + i), QPoint(right - i, top + arm));
        painter.drawLine(QPoint(right - i, bottom - i), QPoint(right - arm, bottom - i));
        painter.drawLine(QPoint(right - i, bottom - i), QPoint(right - i, bottom - arm));
    }
}

// The last move's start square shows a ring, each square it took a piece from a cross and its
// final square an inner outline, black edged with white so that it shows on a piece of either
// colour; each landing square chosen for the selected piece's capture shows a dot, and each square
// the selected piece can go to next a small square outline. None of them touches the cell's
// outer five pixels, where the cursor and the selection frame are drawn.
void QtBoard::drawMarks(QPainter& painter, const QRect& rect, int square) const
{
    const int size = cellSize();
    const QPen savedPen = painter.pen();
    const QBrush savedBrush = painter.brush();
    painter.setBrush(Qt::NoBrush);

    const GameMove* const last = record.lastMove();
    if (last != nullptr && last->from == square) {
        painter.setPen(QPen(Qt::black, RING_PEN_WIDTH));
        painter.drawEllipse(centred(rect, size / RING_DIAMETER_DIVISOR));
    }
    if (last != nullptr && contains(last->captured, square)) {
        const int inset = size / CROSS_INSET_DIVISOR;
        const QRect arms = rect.adjusted(inset, inset, -inset, -inset);
        painter.setPen(QPen(Qt::black, CROSS_PEN_WIDTH, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(arms.topLeft(), arms.bottomRight());
        painter.drawLine(arms.topRight(), arms.bottomLeft());
    }
    if (last != nullptr && last->to == square) {
        // One-pixel outlines, like the selection frame's, from the outside in: black, then white.
        const int inset = size / FINAL_INSET_DIVISOR;
        for (int i = 0; i < FINAL_BLACK_WIDTH + FINAL_WHITE_WIDTH; ++i) {
            painter.setPen(QPen(i < FINAL_BLACK_WIDTH ? Qt::black : Qt::white, 1));
            const int edge = inset + i;
            painter.drawRect(rect.left() + edge, rect.top() + edge, size - 1 - 2 * edge,
                             size - 1 - 2 * edge);
        }
    }
    if (selected != NO_SQUARE && contains(m_route, square)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(centred(rect, size / DOT_DIAMETER_DIVISOR));
    }
    const QRect destination = centred(rect, size / DESTINATION_SIDE_DIVISOR);
    if (contains(m_marks, square) && destination.width() > 2 * DESTINATION_WIDTH) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < DESTINATION_WIDTH; ++i)
            painter.drawRect(destination.left() + i, destination.top() + i,
                             destination.width() - 1 - 2 * i, destination.height() - 1 - 2 * i);
    }
    painter.setPen(savedPen);
    painter.setBrush(savedBrush);
}
