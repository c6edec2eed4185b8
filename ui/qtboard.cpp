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
#include <cstdio>

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
constexpr int GAME_OVER_BUFFER_SIZE = 128;

const QPoint START_CURSOR{3, 5};
const QPoint NO_CELL{-1, -1};
constexpr int NO_SQUARE = -1;

// Result codes of a finished game.
constexpr int RESULT_RUNNING = 0;
constexpr int RESULT_SIDE2_WINS = 1;
constexpr int RESULT_SIDE1_WINS = 2;
constexpr int RESULT_NOBODY_MOVES = 3;

bool isDark(int column, int row)
{
    return (column + row) % 2 != 0;
}

int squareOf(int column, int row)
{
    return SQUARES_PER_ROW * row + column / DARK_PER_ROW;
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

QtBoard::~QtBoard() = default;

void QtBoard::newGame()
{
    // A reply scheduled for the old game must never be played on the new one.
    cancelReply();

    engine.reset();
    if (rules == RCheckers::RULES_CODE)
        engine = std::make_unique<RCheckers>();
    else
        engine = std::make_unique<ECheckers>();
    engine->level = level;

    CheckersBoard& view = *this;
    view.set_checkers();

    result = RESULT_RUNNING;
    gameOver = false;
    if (secondHuman) {
        side1ToMove = humanFirst;
    } else {
        if (!humanFirst)
            engine->go2();
        side1ToMove = true;
    }
    view.set_checkers();
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
    if (engine->undo_list.empty())
        return false;

    cancelReply();
    const std::string position = engine->undo_list.back();
    engine->undo_list.pop_back();
    engine->fromString(position);

    // Every entry is the position before a move of side 1, so it is side 1's turn again, and a
    // finished game goes on from there.
    side1ToMove = true;
    gameOver = false;
    result = RESULT_RUNNING;
    return true;
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
            // Choosing the selected piece again may be a capture that comes back to its start.
            if (square == selected && offerMove(selected, square))
                return;
            selected = square;
            selectedCell = cursor;
        }
    }
    if (gameOver)
        gameOverSlot();
    repaint();
}

bool QtBoard::offerMove(int from, int to)
{
    // Side 1 has moved and waits for the computer: a second move now would be out of turn.
    if (replyPending())
        return false;
    if (side1ToMove) {
        if (!engine->go1(from, to))
            return false;
        afterMoveOfSide1();
    } else {
        if (!engine->go2_human(from, to))
            return false;
        afterMoveOfSide2();
    }
    return true;
}

// After a person's move of side 1: hands the turn to side 2 (the computer's reply is scheduled)
// or ends the game, and repaints.
void QtBoard::afterMoveOfSide1()
{
    if (gameOver) {
        gameOverSlot();
        repaint();
        return;
    }
    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side2Moves) {
        gameOver = false;
        if (secondHuman)
            side1ToMove = false;
        else
            m_replyTimer.start(REPLY_DELAY_MS);
        repaint();
        return;
    }
    result = side1Moves ? RESULT_SIDE1_WINS : RESULT_NOBODY_MOVES;
    gameOverSlot();
    repaint();
}

// After a move of side 2 by a person: hands the turn back to side 1 or ends the game, and
// repaints.
void QtBoard::afterMoveOfSide2()
{
    if (gameOver) {
        gameOverSlot();
        repaint();
        return;
    }
    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side1Moves) {
        gameOver = false;
        side1ToMove = true;
        repaint();
        return;
    }
    result = side2Moves ? RESULT_SIDE2_WINS : RESULT_NOBODY_MOVES;
    gameOverSlot();
    repaint();
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

    engine->go2();
    selected = NO_SQUARE;
    selectedCell = NO_CELL;
    if (gameOver) {
        repaint();
        gameOverSlot();
        return;
    }
    gameOver = true;
    const bool side1Moves = side1CanMove();
    const bool side2Moves = side2CanMove();
    if (side1Moves)
        gameOver = false;
    else
        result = side2Moves ? RESULT_SIDE2_WINS : RESULT_NOBODY_MOVES;
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
    const char* outcome = "Nobody can move!";
    if (result == RESULT_SIDE2_WINS)
        outcome = "Computer wins!";
    else if (result == RESULT_SIDE1_WINS)
        outcome = "You wins!";

    char text[GAME_OVER_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "Game Over! %s", outcome);

    QMessageBox box(QMessageBox::Information, QString::fromLatin1("Game Over"),
                    QString::fromLatin1(text), QMessageBox::NoButton, nullptr,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
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
