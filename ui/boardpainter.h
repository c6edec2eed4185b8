#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <vector>

#include "engine/board.h"
#include "game/colour.h"

class QImage;
class QPainter;

// Paints an 8 x 8 board, with its pieces, marks, cursor, selection frame and coordinates, from a
// plain description of what to show, into an area of a given size; and maps between that area's
// pixels and the board's cells (column 0..7 from the left, row 0..7 from the top, side 1 at the
// bottom). Every view of a board (play, replay, puzzles) paints through it, so they look alike.
// The board keeps a margin around it for the coordinates and is centred across the area.
class BoardPainter
{
public:
    // What one board shows. Squares are the engine's 0..31, row 0 at the top; -1 for none.
    struct Scene {
        std::array<int, SQUARES> cells{}; // cell values (MAN1 .. MAN2, FREE), square by square
        // The images of the four piece values; a null or empty image leaves its pieces undrawn.
        const QImage* man1 = nullptr;
        const QImage* king1 = nullptr;
        const QImage* king2 = nullptr;
        const QImage* man2 = nullptr;
        // The last move: its start and final square and the squares it took pieces from.
        int lastFrom = -1;
        int lastTo = -1;
        std::vector<int> taken;
        std::vector<int> landings;     // landing squares chosen so far for a capture (dots)
        std::vector<int> destinations; // where the selected piece can go next
        QPoint cursor{-1, -1};
        QPoint selectedCell{-1, -1};
        bool focused = false; // the cursor and the selection frame show only with the focus
        // The coordinates: the rule set's notation, seen with `bottom` at the bottom.
        int rules = 0;
        Colour bottom = Colour::White;
    };

    // The side of one cell in an area of `area`: an eighth of the shorter edge less the margins.
    static int cellSize(const QSize& area);
    // The cell's rectangle, or an empty one off the board or when the area has no room for it.
    static QRect rectFromPos(const QSize& area, const QPoint& pos);
    // The cell under a pixel, or (-1, -1) off the board; the margin left of and above the board
    // counts as the cell next to it.
    static QPoint posFromMouse(const QSize& area, const QPoint& pixel);

    // Paints the whole board (the painter's clip spares what need not change), the coordinates
    // in the margin or, for the English numbering, in a corner of each dark square, below the
    // marks, the cursor and the frame. The cursor, frame and margin text take the painter's pen.
    static void paint(QPainter& painter, const QSize& area, const Scene& scene);

private:
    static QPoint origin(const QSize& area);
    static void paintCell(QPainter& painter, const QSize& area, const Scene& scene,
                          const QPoint& pos);
    static void paintMarks(QPainter& painter, const QRect& rect, const Scene& scene, int square);
    static void paintSquareNumber(QPainter& painter, const QRect& rect, const Scene& scene,
                                  int square);
    static void paintMargin(QPainter& painter, const QSize& area, const Scene& scene);
    static void paintFrame(QPainter& painter, const QRect& rect, int width);
    static void paintCursor(QPainter& painter, const QRect& rect, int width);
};
