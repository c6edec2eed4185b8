#pragma once

#include <QWidget>

#include <vector>

#include "boardpainter.h"
#include "game/gamerecord.h"
#include "replayview.h"

class QKeyEvent;
class QMouseEvent;

// The board of a puzzle: paints the game it is given through the common painter and takes the
// solver's entry with the play board's keys and pen (arrows move the cursor, Return or Select
// chooses, a touch chooses the square touched). Capture routes are chosen square by square, as
// the game record judges them; a complete move is handed out by moveEntered() and never played
// here, so that the dialog decides what becomes of it.
class PuzzleView : public QWidget
{
    Q_OBJECT

public:
    PuzzleView(QWidget* parent, const ReplayView::Pieces& pieces);

    // The game shown, kept by the caller, which repaints the view when it changes.
    void show(const GameRecord* game);
    // Whether entries are taken (not while the computer thinks or a refutation is shown).
    void setEntering(bool entering) { m_entering = entering; }
    // Selects the move's piece and marks where it goes, with the cursor on its final square.
    void showMove(const GameMove& move);
    void clearSelection();
    BoardPainter::Scene scene() const;

signals:
    // A legal move of the side to move, entered whole.
    void moveEntered(const GameMove& move);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void choose();
    void moveCursor(int columnStep, int rowStep);

    const GameRecord* m_game = nullptr;
    ReplayView::Pieces m_pieces;
    QPoint m_cursor{0, 7};
    int m_selected = -1;
    std::vector<int> m_route;
    std::vector<int> m_marks;
    bool m_entering = true;
};
