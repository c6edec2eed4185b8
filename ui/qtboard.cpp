#include "qtboard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QString>

#include <algorithm>
#include <iostream>
#include <system_error>
#include <utility>

#include "engine/endgametable.h"
#include "engine/position.h"
#include "game/gamehistory.h"
#include "game/hint.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

namespace
{

constexpr int CELLS_PER_SIDE = 8;
constexpr int DARK_PER_ROW = 2; // column / DARK_PER_ROW is the dark square's place in its row
constexpr int SQUARES_PER_ROW = 4;
constexpr int REPLY_DELAY_MS = 500; // the computer answers half a second after a person's move
constexpr int DEFAULT_LEVEL = 2;    // plies the computer looks ahead until the settings say more

// A dark square on the person's front row, where Return picks a man.
const QPoint START_CURSOR{2, 5};
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

QtBoard::~QtBoard()
{
    // The worker is stopped and joined while the board it reports to is still whole.
    m_thinker.reset();
}

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
    clearSelection();
    if (secondHuman) {
        side1ToMove = humanFirst;
    } else {
        if (!humanFirst) {
            if (moveTime > 0) {
                // Grandmaster thinks on the worker, as for every reply.
                m_replyTimer.start(0);
            } else {
                engine->go2();
                record.playResulting(positionOf(*engine));
                followRecord();
            }
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
    clearSelection();
    adoptRecordState();
    CheckersBoard& view = *this;
    view.set_checkers();
    keepGame();
    refreshStatus();
}

void QtBoard::adoptRecordState()
{
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
        // The game was kept, or a redo stops, between the person's move and the reply: the
        // reply is still owed.
        m_replyTimer.start(REPLY_DELAY_MS);
    }
}

void QtBoard::playFrom(GameRecord game)
{
    m_gameDate = SavedGame::today();
    continueGame(std::move(game), false);
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
    cancelHint();
    if (!record.undo())
        return false;

    cancelReply();
    followRecord();
    clearSelection();

    // Undo goes back to before a move of side 1, so it is side 1's turn again, and a finished
    // game goes on from there.
    side1ToMove = true;
    gameOver = false;
    result = RESULT_RUNNING;
    keepGame();
    refreshStatus();
    return true;
}

bool QtBoard::redo()
{
    cancelHint();
    if (replyPending() || !record.redo())
        return false;
    cancelReply();
    followRecord();
    clearSelection();
    adoptRecordState();
    keepGame();
    refreshStatus();
    return true;
}

QString QtBoard::statusText() const
{
    return StatusLine::text(statusState());
}

StatusLine::State QtBoard::statusState() const
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
    state.thinking = m_thought == Thought::HINT;
    state.refusal = m_refusal;
    state.hint = m_hintText;
    state.unsaved = m_saveFailed || (m_archive && m_archive->failed());
    if (gameOver) {
        switch (result) {
        case RESULT_SIDE1_WINS:
            state.ending = StatusLine::Ending::WIN;
            state.winner = record.colourOf(SIDE_1);
            state.loserHasNoPieces = !hasPieces(SIDE_2);
            break;
        case RESULT_SIDE2_WINS:
            state.ending = StatusLine::Ending::WIN;
            state.winner = record.colourOf(SIDE_2);
            state.winnerPlayer =
                secondHuman ? StatusLine::Player::SECOND_PERSON : StatusLine::Player::COMPUTER;
            state.loserHasNoPieces = !hasPieces(SIDE_1);
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
    state.twoPeople = secondHuman;
    return state;
}

void QtBoard::refreshStatus()
{
    const QString text = statusText();
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(m_status);
}

void QtBoard::clearSelection()
{
    cancelHint();
    selected = NO_SQUARE;
    selectedCell = NO_CELL;
    m_route.clear();
    m_marks.clear();
    clearNotice();
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
    if (gameOver || replyPending() || hintPending() || record.sideToMove() != side)
        return false;
    clearNotice();
    Thinker::Job job = Hint::job(record);
    job.tables = engine->endgameTable;
    const bool thinking = think(Thought::HINT, job);
    refreshStatus();
    if (!thinking)
        return false;
    // "Thinking…" is on the panel before the search begins.
    emit statusFlushRequested();
    return true;
}

void QtBoard::stopThinking()
{
    cancelHint();
    if (m_thought == Thought::REPLY) {
        m_thinker->cancel();
        m_thought = Thought::NONE;
        // Searched again from the event loop, where a modal window open by then holds it.
        m_replyTimer.start(0);
    }
}

bool QtBoard::think(Thought thought, const Thinker::Job& job)
{
    if (!m_thinker) {
        // The result travels to the GUI thread as a queued call, which Qt drops should the board
        // be gone by then.
        m_thinker = std::make_unique<Thinker>([this](Thinker::Ticket ticket,
                                                     const Thinker::Result& result) {
            QMetaObject::invokeMethod(
                this, [this, ticket, result] { onThought(ticket, result); }, Qt::QueuedConnection);
        });
    }
    try {
        m_ticket = m_thinker->start(job);
    } catch (const std::system_error& error) {
        qWarning("checkers: no thread to think on: %s", error.what());
        return false;
    }
    m_thought = thought;
    m_thoughtFrom = job.position;
    m_thoughtSide = job.sideToMove;
    return true;
}

void QtBoard::onThought(Thinker::Ticket ticket, const Thinker::Result& result)
{
    // A result of a search cancelled, or of a position left, is moot.
    if (ticket != m_ticket || m_thought == Thought::NONE || record.position() != m_thoughtFrom ||
        record.sideToMove() != m_thoughtSide)
        return;
    const Thought thought = m_thought;
    m_thought = Thought::NONE;
    if (thought == Thought::HINT) {
        applyHint(result.after);
        return;
    }
    // A modal window opened while the reply was searched: the reply waits for it, as one due
    // then would.
    if (QWidget* const modal = QApplication::activeModalWidget()) {
        holdReply(modal);
        return;
    }
    finishReply(result.after);
}

void QtBoard::cancelHint()
{
    if (m_thought != Thought::HINT)
        return;
    m_thinker->cancel();
    m_thought = Thought::NONE;
    refreshStatus();
}

void QtBoard::applyHint(const Position& after)
{
    const std::optional<Hint::Suggestion> hint = Hint::suggestion(record, after);
    if (!hint) {
        refreshStatus();
        return;
    }
    selected = hint->move.from;
    selectedCell = cellOf(selected);
    m_route = hint->landings;
    cursor = cellOf(hint->move.to);
    clearNotice();
    m_hintText = QString::fromStdString(hint->text);
    markDestinations(false);
    refreshStatus();
    repaint();
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
    return BoardPainter::cellSize(size());
}

QRect QtBoard::rectFromPos(const QPoint& pos) const
{
    return BoardPainter::rectFromPos(size(), pos);
}

QPoint QtBoard::posFromMouse(const QPoint& pixel) const
{
    return BoardPainter::posFromMouse(size(), pixel);
}

BoardPainter::Scene QtBoard::scene() const
{
    BoardPainter::Scene scene;
    for (int square = 0; square < SQUARES; ++square)
        scene.cells[square] = engine->board[engine->internal(square)];
    scene.man1 = imgMan1;
    scene.king1 = imgKing1;
    scene.king2 = imgKing2;
    scene.man2 = imgMan2;
    if (const GameMove* const last = record.lastMove()) {
        scene.lastFrom = last->from;
        scene.lastTo = last->to;
        scene.taken = last->captured;
    }
    if (selected != NO_SQUARE)
        scene.landings = m_route;
    scene.destinations = m_marks;
    scene.cursor = cursor;
    scene.selectedCell = selectedCell;
    scene.focused = hasFocus();
    scene.rules = engine->type();
    scene.bottom = record.side1Colour();
    return scene;
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
        // A held H asks once.
        if (!event->isAutoRepeat() && !(event->timestamp() != 0 && m_releasedKey == Qt::Key_H &&
                                        event->timestamp() == m_releasedAt))
            showHint();
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void QtBoard::keyReleaseEvent(QKeyEvent* event)
{
    m_releasedKey = event->key();
    m_releasedAt = event->timestamp();
    QWidget::keyReleaseEvent(event);
}

void QtBoard::paintEvent(QPaintEvent* /*event*/)
{
    // The whole board is painted every time; the paint system clips to the invalidated region.
    QPainter painter(this);
    BoardPainter::paint(painter, size(), scene());
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
    // An entry answers the hint's question before the search does.
    cancelHint();
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
        clearSelection();
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

bool QtBoard::hasPieces(int side) const
{
    const int man = side == SIDE_1 ? MAN1 : MAN2;
    const int king = side == SIDE_1 ? KING1 : KING2;
    for (int square = 0; square < SQUARES; ++square) {
        const int value = engine->board[engine->internal(square)];
        if (value == man || value == king)
            return true;
    }
    return false;
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

    clearSelection();
    if (gameOver || record.sideToMove() != SIDE_2) {
        refreshStatus();
        repaint();
        if (gameOver)
            gameOverSlot();
        return;
    }
    if (engine->moveTime > 0 || engine->moveDepth > 0) {
        Thinker::Job job;
        job.rules = record.rules();
        job.position = record.position();
        job.sideToMove = SIDE_2;
        job.moveTimeMs = engine->moveTime;
        job.depth = engine->moveDepth;
        job.level = engine->level;
        job.history = searchHistoryOf(record);
        job.tables = engine->endgameTable;
        if (think(Thought::REPLY, job)) {
            refreshStatus();
            repaint();
            return;
        }
        // Without a thread the game's engine replies, keeping the window still meanwhile.
    }
    engine->history = searchHistoryOf(record);
    engine->go2();
    finishReply(positionOf(*engine));
}

void QtBoard::finishReply(const Position& after)
{
    // The engine found the move; the record learns which one it was. A position no legal move
    // leads to is never kept: the engine goes back to the record's.
    record.playResulting(after);
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
    if (m_thought != Thought::NONE) {
        m_thinker->cancel();
        m_thought = Thought::NONE;
    }
    if (m_replyHeldBy) {
        m_replyHeldBy->removeEventFilter(this);
        m_replyHeldBy = nullptr;
    }
}

// Shows how the game ended in a modal message box and returns when it is closed.
void QtBoard::gameOverSlot()
{
    QMessageBox box(QMessageBox::Information, tr("Game Over"),
                    StatusLine::gameOverText(statusState()), QMessageBox::NoButton, nullptr,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // The status line shows the end over a failed save; the box tells that the game was not added.
    if (m_archive && m_archive->failed())
        box.setText(box.text() + QLatin1Char('\n') + tr("The game could not be saved"));
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.setEscapeButton(QMessageBox::Ok);
    const QAbstractButton* const review = box.addButton(tr("Review"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() == review)
        emit reviewRequested();
}
