#include "puzzleview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{

constexpr int CELLS_PER_SIDE = 8;
constexpr int SQUARES_PER_ROW = 4;
constexpr int DARK_PER_ROW = 2;

// The engine's square of a dark cell, or -1 for a light one.
int squareOf(const QPoint& cell)
{
    if ((cell.x() + cell.y()) % 2 == 0)
        return -1;
    return SQUARES_PER_ROW * cell.y() + cell.x() / DARK_PER_ROW;
}

QPoint cellOf(int square)
{
    const int row = square / SQUARES_PER_ROW;
    return QPoint(DARK_PER_ROW * (square % SQUARES_PER_ROW) + (row % DARK_PER_ROW == 0 ? 1 : 0),
                  row);
}

} // namespace

PuzzleView::PuzzleView(QWidget* parent, const ReplayView::Pieces& pieces)
    : QWidget(parent), m_pieces(pieces)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PuzzleView::show(const GameRecord* game)
{
    m_game = game;
    clearSelection();
}

void PuzzleView::clearSelection()
{
    m_selected = -1;
    m_route.clear();
    m_marks.clear();
    update();
}

void PuzzleView::showMove(const GameMove& move)
{
    clearSelection();
    m_selected = move.from;
    m_marks = {move.to};
    m_cursor = cellOf(move.to);
}

BoardPainter::Scene PuzzleView::scene() const
{
    BoardPainter::Scene scene;
    if (!m_game)
        return scene;
    const Position& position = m_game->position();
    for (int square = 0; square < SQUARES; ++square)
        scene.cells[square] = position[square];
    const bool side1White = m_game->side1Colour() == Colour::White;
    scene.man1 = side1White ? m_pieces.manWhite : m_pieces.manBlack;
    scene.king1 = side1White ? m_pieces.kingWhite : m_pieces.kingBlack;
    scene.man2 = side1White ? m_pieces.manBlack : m_pieces.manWhite;
    scene.king2 = side1White ? m_pieces.kingBlack : m_pieces.kingWhite;
    if (const GameMove* const last = m_game->lastMove()) {
        scene.lastFrom = last->from;
        scene.lastTo = last->to;
        scene.taken = last->captured;
    }
    scene.landings = m_route;
    scene.destinations = m_marks;
    scene.cursor = m_cursor;
    if (m_selected >= 0)
        scene.selectedCell = cellOf(m_selected);
    scene.focused = hasFocus();
    scene.rules = m_game->rules();
    scene.bottom = m_game->side1Colour();
    return scene;
}

void PuzzleView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    BoardPainter::paint(painter, size(), scene());
}

void PuzzleView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        choose();
        break;
    case Qt::Key_Left:
        moveCursor(-1, 0);
        break;
    case Qt::Key_Right:
        moveCursor(1, 0);
        break;
    case Qt::Key_Up:
        moveCursor(0, -1);
        break;
    case Qt::Key_Down:
        moveCursor(0, 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void PuzzleView::mousePressEvent(QMouseEvent* event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QPoint pixel = event->position().toPoint();
#else
    const QPoint pixel = event->pos();
#endif
    const QPoint cell = BoardPainter::posFromMouse(size(), pixel);
    if (cell.x() < 0)
        return;
    m_cursor = cell;
    choose();
}

void PuzzleView::moveCursor(int columnStep, int rowStep)
{
    const QRect old = BoardPainter::rectFromPos(size(), m_cursor);
    // Adding a whole board before taking the remainder wraps a step off either edge.
    m_cursor = QPoint((m_cursor.x() + columnStep + CELLS_PER_SIDE) % CELLS_PER_SIDE,
                      (m_cursor.y() + rowStep + CELLS_PER_SIDE) % CELLS_PER_SIDE);
    // Only the two cells change: the panel is spared a full refresh.
    update(old);
    update(BoardPainter::rectFromPos(size(), m_cursor));
}

// A piece of the side to move is selected; a free square, or the selected piece again,
// is entered for it, on a copy of the game so that only a whole move leaves the view.
void PuzzleView::choose()
{
    const int square = squareOf(m_cursor);
    if (!m_game || !m_entering || square < 0)
        return;
    const int value = m_game->position()[square];
    const int side = m_game->sideToMove();
    const bool own =
        side == 1 ? (value == MAN1 || value == KING1) : (value == MAN2 || value == KING2);
    if (own && square != m_selected) {
        clearSelection();
        m_selected = square;
        for (const GameMove& move : m_game->legalMoves().all())
            if (move.from == square)
                m_marks.push_back(move.landings.empty() ? move.to : move.landings.front());
        return;
    }
    if (m_selected < 0 || (value != FREE && square != m_selected))
        return;
    GameRecord trial = *m_game;
    switch (trial.enter(m_selected, m_route, square)) {
    case GameRecord::Entry::PLAYED: {
        const GameMove move = *trial.lastMove();
        clearSelection();
        emit moveEntered(move);
        return;
    }
    case GameRecord::Entry::LANDING:
        m_route.push_back(square);
        break;
    case GameRecord::Entry::ROUTE_CLEARED:
        m_route.clear();
        break;
    default:
        break;
    }
    update();
}
