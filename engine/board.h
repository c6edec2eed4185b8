#pragma once

// The vocabulary of the 54-cell board shared by the engine, the rule sets and the view.
//
// The 32 playable squares are numbered 0 to 31, four to a row, row 0 at the top (side 2's home
// row). They sit in an array of 54 cells whose border always holds BORDER, so that every
// diagonal neighbour of a playable cell is at a fixed distance and a step off the board meets a
// cell that is neither empty nor a piece.

// What a cell holds. The values are symmetric about FREE: exchanging the sides maps v to 6 - v.
enum CellValue : int {
    BORDER = 0, // no square; inside a capture sequence also a jumped piece not yet removed
    MAN1 = 1,
    KING1 = 2,
    FREE = 3,
    KING2 = 4,
    MAN2 = 5,
};

constexpr int SIDE_SWAP = 6; // v -> SIDE_SWAP - v exchanges the sides

constexpr int CELLS = 54;
constexpr int SQUARES = 32;
constexpr int FIRST_CELL = 6; // loops over the board run over cells FIRST_CELL..LAST_CELL
constexpr int LAST_CELL = 47;
constexpr int MIRROR_CELL = 53; // rotating the board maps cell k to MIRROR_CELL - k

// The cell of each square 0..31.
inline constexpr int SQUARE_CELLS[SQUARES] = {6,  7,  8,  9,  11, 12, 13, 14, 17, 18, 19,
                                              20, 22, 23, 24, 25, 28, 29, 30, 31, 33, 34,
                                              35, 36, 39, 40, 41, 42, 44, 45, 46, 47};

// Diagonal steps: two towards row 0, two towards row 7.
constexpr int UP_LEFT = -6;
constexpr int UP_RIGHT = -5;
constexpr int DOWN_LEFT = 5;
constexpr int DOWN_RIGHT = 6;
constexpr int STEPS[4] = {UP_LEFT, UP_RIGHT, DOWN_LEFT, DOWN_RIGHT};

// The step that turns a man crowned by a jump back into the board: a side-1 man adds it, a
// side-2 man subtracts it (-6 becomes +5, +5 becomes -6, ...).
constexpr int CROWN_TURN = 11;

// Side 1 is crowned on cells below PROMOTION1_END (row 0), side 2 above PROMOTION2_START - 1
// (row 7).
constexpr int PROMOTION1_END = 10;
constexpr int PROMOTION2_START = 43;

// The playable cells off the edge of the board: the only ones whose piece can be jumped.
constexpr int INTERIOR_CELLS[18] = {12, 13, 14, 17, 18, 19, 23, 24, 25,
                                    28, 29, 30, 34, 35, 36, 39, 40, 41};

// Length of a position text: 32 one-digit values, each followed by a space.
constexpr int POSITION_TEXT_LENGTH = 2 * SQUARES;

// The two diagonal steps across `step`, in the order the rules try them.
struct StepsAcross {
    int first;
    int second;
};
constexpr StepsAcross stepsAcross(int step)
{
    return (step == UP_LEFT || step == DOWN_RIGHT) ? StepsAcross{UP_RIGHT, DOWN_LEFT}
                                                   : StepsAcross{UP_LEFT, DOWN_RIGHT};
}
