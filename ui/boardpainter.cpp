#include "boardpainter.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <string>

#include "game/notation.h"
#include "game/ruleset.h"

namespace
{

constexpr int MARGIN = 20; // free pixels around the board, where the coordinates are written
constexpr int CELLS_PER_SIDE = 8;
constexpr int DARK_PER_ROW = 2; // column / DARK_PER_ROW is the dark square's place in its row
constexpr int SQUARES_PER_ROW = 4;
constexpr int CURSOR_WIDTH = 5;         // thickness of the cursor's corner marks
constexpr int FRAME_WIDTH = 5;          // thickness of the selection frame
constexpr int CURSOR_ARM_NUMERATOR = 3; // each cursor arm reaches 3/10 of the cell
constexpr int CURSOR_ARM_DENOMINATOR = 10;
const QPoint NO_CELL{-1, -1};

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

// The coordinates: letters and digits in the margin, four fifths of its width high; the English
// square numbers a fifth of the cell high on a white label just inside the cursor's and the
// frame's band, so that neither ever covers them and black digits read on any piece.
constexpr int MARGIN_FONT_NUMERATOR = 4;
constexpr int MARGIN_FONT_DENOMINATOR = 5;
constexpr int NUMBER_FONT_DIVISOR = 5;
constexpr int MIN_FONT_PIXELS = 6; // below this no text is legible: none is drawn
constexpr int LABEL_INSET = FRAME_WIDTH;
constexpr int LABEL_PADDING = 1;

bool isDark(int column, int row)
{
    return (column + row) % 2 != 0;
}

int squareOf(int column, int row)
{
    return SQUARES_PER_ROW * row + column / DARK_PER_ROW;
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

const QImage* imageOf(const BoardPainter::Scene& scene, int value)
{
    switch (value) {
    case MAN1:
        return scene.man1;
    case KING1:
        return scene.king1;
    case KING2:
        return scene.king2;
    case MAN2:
        return scene.man2;
    default:
        return nullptr;
    }
}

QFont fontOfPixels(const QPainter& painter, int pixels)
{
    QFont font = painter.font();
    font.setPixelSize(pixels);
    return font;
}

} // namespace

int BoardPainter::cellSize(const QSize& area)
{
    return (std::min(area.width(), area.height()) - 2 * MARGIN) / CELLS_PER_SIDE;
}

// The board's top left corner: the margin from the top, and across the width as far in as keeps
// the board in the middle of a wide area.
QPoint BoardPainter::origin(const QSize& area)
{
    const int shorter = std::min(area.width(), area.height());
    return QPoint(MARGIN + (area.width() - shorter) / 2, MARGIN);
}

QRect BoardPainter::rectFromPos(const QSize& area, const QPoint& pos)
{
    const int size = cellSize(area);
    if (size <= 0 || pos.x() < 0 || pos.x() >= CELLS_PER_SIDE || pos.y() < 0 ||
        pos.y() >= CELLS_PER_SIDE)
        return QRect();
    const QPoint corner = origin(area);
    return QRect(corner.x() + size * pos.x(), corner.y() + size * pos.y(), size, size);
}

QPoint BoardPainter::posFromMouse(const QSize& area, const QPoint& pixel)
{
    const int size = cellSize(area);
    if (size <= 0)
        return NO_CELL;
    const QPoint corner = origin(area);
    // Truncation towards zero gives the margin left of and above the board to the first column
    // and row; further out, in the space that centres the board, nothing is pressed.
    const int x = pixel.x() - corner.x();
    const int y = pixel.y() - corner.y();
    if (x < -MARGIN || y < -MARGIN)
        return NO_CELL;
    const int column = x / size;
    const int row = y / size;
    if (column < 0 || column >= CELLS_PER_SIDE || row < 0 || row >= CELLS_PER_SIDE)
        return NO_CELL;
    return QPoint(column, row);
}

void BoardPainter::paint(QPainter& painter, const QSize& area, const Scene& scene)
{
    if (cellSize(area) <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int row = 0; row < CELLS_PER_SIDE; ++row) {
        for (int column = 0; column < CELLS_PER_SIDE; ++column)
            paintCell(painter, area, scene, QPoint(column, row));
    }
    if (scene.rules == ruleset::RUSSIAN)
        paintMargin(painter, area, scene);
    painter.restore();
}

// Paints one cell completely: its fill, its piece stretched to the cell, its square number, its
// marks, and, with the focus, the cursor and the selection frame, in that order, each over the
// one before.
void BoardPainter::paintCell(QPainter& painter, const QSize& area, const Scene& scene,
                             const QPoint& pos)
{
    const QRect rect = rectFromPos(area, pos);
    const bool dark = isDark(pos.x(), pos.y());
    const QPen pen = painter.pen();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(dark ? Qt::gray : Qt::white, Qt::SolidPattern));
    painter.drawRect(rect);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    if (dark) {
        const int square = squareOf(pos.x(), pos.y());
        const QImage* const image = imageOf(scene, scene.cells[square]);
        if (image != nullptr && !image->isNull()) {
            painter.drawImage(QRectF(rect.left(), rect.top(), rect.width(), rect.height()), *image,
                              QRectF(0, 0, image->width(), image->height()));
        }
        if (scene.rules == ruleset::ENGLISH)
            paintSquareNumber(painter, rect, scene, square);
        paintMarks(painter, rect, scene, square);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
    }
    if (scene.focused && scene.cursor == pos)
        paintCursor(painter, rect, CURSOR_WIDTH);
    if (scene.focused && scene.selectedCell == pos)
        paintFrame(painter, rect, FRAME_WIDTH);
}

// The last move's start square shows a ring, each square it took a piece from a cross and its
// final square an inner outline, black edged with white so that it shows on a piece of either
// colour; each landing square chosen for the selected piece's capture shows a dot, and each square
// the selected piece can go to next a small square outline. None of them touches the cell's
// outer five pixels, where the cursor and the selection frame are drawn.
void BoardPainter::paintMarks(QPainter& painter, const QRect& rect, const Scene& scene, int square)
{
    const int size = rect.width();
    if (scene.lastFrom == square) {
        painter.setPen(QPen(Qt::black, RING_PEN_WIDTH));
        painter.drawEllipse(centred(rect, size / RING_DIAMETER_DIVISOR));
    }
    if (contains(scene.taken, square)) {
        const int inset = size / CROSS_INSET_DIVISOR;
        const QRect arms = rect.adjusted(inset, inset, -inset, -inset);
        painter.setPen(QPen(Qt::black, CROSS_PEN_WIDTH, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(arms.topLeft(), arms.bottomRight());
        painter.drawLine(arms.topRight(), arms.bottomLeft());
    }
    if (scene.lastTo == square) {
        // One-pixel outlines, like the selection frame's, from the outside in: black, then white.
        const int inset = size / FINAL_INSET_DIVISOR;
        for (int i = 0; i < FINAL_BLACK_WIDTH + FINAL_WHITE_WIDTH; ++i) {
            painter.setPen(QPen(i < FINAL_BLACK_WIDTH ? Qt::black : Qt::white, 1));
            const int edge = inset + i;
            painter.drawRect(rect.left() + edge, rect.top() + edge, size - 1 - 2 * edge,
                             size - 1 - 2 * edge);
        }
    }
    if (contains(scene.landings, square)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(centred(rect, size / DOT_DIAMETER_DIVISOR));
        painter.setBrush(Qt::NoBrush);
    }
    const QRect destination = centred(rect, size / DESTINATION_SIDE_DIVISOR);
    if (contains(scene.destinations, square) && destination.width() > 2 * DESTINATION_WIDTH) {
        painter.setPen(QPen(Qt::black, 1));
        for (int i = 0; i < DESTINATION_WIDTH; ++i)
            painter.drawRect(destination.left() + i, destination.top() + i,
                             destination.width() - 1 - 2 * i, destination.height() - 1 - 2 * i);
    }
}

// The English square number, black on a white label in the cell's top right corner, just inside
// the band of the cursor and the frame.
void BoardPainter::paintSquareNumber(QPainter& painter, const QRect& rect, const Scene& scene,
                                     int square)
{
    const int pixels = rect.width() / NUMBER_FONT_DIVISOR;
    if (pixels < MIN_FONT_PIXELS)
        return;
    const QString name =
        QString::fromStdString(Notation(scene.rules, scene.bottom).squareName(square));
    const QFont font = fontOfPixels(painter, pixels);
    const QFontMetrics metrics(font);
    QRect label = metrics.tightBoundingRect(name);
    label.setSize(label.size() + QSize(2 * LABEL_PADDING, 2 * LABEL_PADDING));
    label.moveTopRight(QPoint(rect.right() - LABEL_INSET, rect.top() + LABEL_INSET));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(label);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawText(label, Qt::AlignCenter, name);
}

// The Russian coordinates: the row digits left of the board, the column letters below it, each
// centred on its row or column, named as the notation names the squares from the bottom colour.
void BoardPainter::paintMargin(QPainter& painter, const QSize& area, const Scene& scene)
{
    const int pixels = MARGIN * MARGIN_FONT_NUMERATOR / MARGIN_FONT_DENOMINATOR;
    const Notation notation(scene.rules, scene.bottom);
    painter.setFont(fontOfPixels(painter, pixels));
    for (int i = 0; i < CELLS_PER_SIDE; ++i) {
        // A dark square of row i and one of column i: the first of the row, and the one of the
        // column on row 1 or 0.
        const std::string rowName = notation.squareName(squareOf(0, i));
        const std::string columnName = notation.squareName(squareOf(i, (i + 1) % DARK_PER_ROW));
        const QRect rowCell = rectFromPos(area, QPoint(0, i));
        const QRect columnCell = rectFromPos(area, QPoint(i, CELLS_PER_SIDE - 1));
        painter.drawText(QRect(rowCell.left() - MARGIN, rowCell.top(), MARGIN, rowCell.height()),
                         Qt::AlignCenter, QString::fromStdString(rowName.substr(1)));
        painter.drawText(
            QRect(columnCell.left(), columnCell.bottom() + 1, columnCell.width(), MARGIN),
            Qt::AlignCenter, QString::fromStdString(columnName.substr(0, 1)));
    }
}

// A frame `width` pixels thick inside the cell's edges, in the painter's pen.
void BoardPainter::paintFrame(QPainter& painter, const QRect& rect, int width)
{
    const int size = rect.width();
    // A one-pixel outline covers its right and bottom edge too, hence one less than the size.
    for (int i = 0; i < width; ++i)
        painter.drawRect(rect.left() + i, rect.top() + i, size - 1 - 2 * i, size - 1 - 2 * i);
}

// Four corner brackets `width` pixels thick, each arm reaching 3/10 of the cell, in the
// painter's pen.
void BoardPainter::paintCursor(QPainter& painter, const QRect& rect, int width)
{
    const int size = rect.width();
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
