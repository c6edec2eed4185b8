#include "replayview.h"

#include <QPainter>

#include "game/replay.h"

ReplayView::ReplayView(QWidget* parent, const Replay& replay, const Pieces& pieces)
    : QWidget(parent), m_replay(replay), m_pieces(pieces)
{
    // Painted whole each time: no background of its own to flash between two positions.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

BoardPainter::Scene ReplayView::scene() const
{
    BoardPainter::Scene scene;
    const GameRecord& game = m_replay.game();
    const Position& position = m_replay.position();
    for (int square = 0; square < SQUARES; ++square)
        scene.cells[square] = position[square];
    const bool side1White = game.side1Colour() == Colour::White;
    scene.man1 = side1White ? m_pieces.manWhite : m_pieces.manBlack;
    scene.king1 = side1White ? m_pieces.kingWhite : m_pieces.kingBlack;
    scene.man2 = side1White ? m_pieces.manBlack : m_pieces.manWhite;
    scene.king2 = side1White ? m_pieces.kingBlack : m_pieces.kingWhite;
    if (const GameMove* const last = m_replay.lastMove()) {
        scene.lastFrom = last->from;
        scene.lastTo = last->to;
        scene.taken = last->captured;
    }
    scene.rules = game.rules();
    scene.bottom = game.side1Colour();
    return scene;
}

void ReplayView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    BoardPainter::paint(painter, size(), scene());
}
