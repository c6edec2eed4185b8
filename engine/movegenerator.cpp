#include "movegenerator.h"

#include <algorithm>

namespace
{

// Directions on the board: the two towards row 0, then the two towards row 7 (side 2's forward
// steps). The reverse of d is d ^ 3; the two across it are d ^ 1 and d ^ 2.
constexpr int DIRECTIONS = 4;
constexpr int FIRST_FORWARD = 2;
constexpr unsigned ALL_DIRECTIONS = 0xF;
constexpr int ROW_STEP[DIRECTIONS] = {-1, -1, 1, 1};
constexpr int COLUMN_STEP[DIRECTIONS] = {-1, 1, -1, 1};
constexpr int OFF_BOARD = -1;
constexpr int SQUARES_PER_ROW = 4;
constexpr int ROWS = 8;
constexpr std::uint32_t CROWN_ROW = 0xF0000000u; // row 7, where side 2's men are crowned
constexpr std::uint32_t ALL_SQUARES = 0xFFFFFFFFu;

// The square one step from each square in each direction, or OFF_BOARD; and the squares from
// there to the edge of the board.
struct Neighbours {
    int next[SQUARES][DIRECTIONS];
    std::uint32_t ray[SQUARES][DIRECTIONS];
};

constexpr Neighbours makeNeighbours()
{
    Neighbours table{};
    for (int square = 0; square < SQUARES; ++square) {
        const int row = square / SQUARES_PER_ROW;
        // Dark squares: column + row odd.
        const int column = 2 * (square % SQUARES_PER_ROW) + (row + 1) % 2;
        for (int d = 0; d < DIRECTIONS; ++d) {
            const int r = row + ROW_STEP[d];
            const int c = column + COLUMN_STEP[d];
            table.next[square][d] = (r < 0 || r >= ROWS || c < 0 || c >= ROWS)
                                        ? OFF_BOARD
                                        : r * SQUARES_PER_ROW + c / 2;
        }
    }
    for (int square = 0; square < SQUARES; ++square) {
        for (int d = 0; d < DIRECTIONS; ++d) {
            std::uint32_t ray = 0;
            for (int s = table.next[square][d]; s != OFF_BOARD; s = table.next[s][d])
                ray |= std::uint32_t{1} << s;
            table.ray[square][d] = ray;
        }
    }
    return table;
}

constexpr Neighbours NEIGHBOURS = makeNeighbours();

constexpr std::uint32_t bit(int square)
{
    return std::uint32_t{1} << square;
}

constexpr int next(int square, int direction)
{
    return NEIGHBOURS.next[square][direction];
}

constexpr bool isIn(std::uint32_t set, int square)
{
    return square != OFF_BOARD && (set & bit(square));
}

// The first square of `set` met going from `square` in `direction`, or OFF_BOARD. Towards row 0
// the square numbers fall, towards row 7 they rise.
int firstOnRay(int square, int direction, std::uint32_t set)
{
    const std::uint32_t met = NEIGHBOURS.ray[square][direction] & set;
    if (!met)
        return OFF_BOARD;
    return direction < FIRST_FORWARD ? SQUARES - 1 - __builtin_clz(met) : __builtin_ctz(met);
}

constexpr auto stepped = PackedPosition::stepped;

constexpr bool steppedMatchesNeighbours()
{
    for (int square = 0; square < SQUARES; ++square) {
        for (int d = 0; d < DIRECTIONS; ++d) {
            const int to = NEIGHBOURS.next[square][d];
            if (stepped(std::uint32_t{1} << square, d) != (to == OFF_BOARD ? 0 : 1u << to))
                return false;
        }
    }
    return true;
}
static_assert(steppedMatchesNeighbours(), "a step in bits is a step on the board");

// The pieces of `movers` that can jump a piece of `victims` in the direction onto an empty square.
constexpr std::uint32_t jumpers(std::uint32_t movers, std::uint32_t victims, std::uint32_t empty,
                                int direction)
{
    const int back = direction ^ 3;
    return movers & stepped(victims & stepped(empty, back), back);
}

unsigned across(int direction)
{
    return (1u << (direction ^ 1)) | (1u << (direction ^ 2));
}

// The squares of a set, lowest first.
template <typename Visit> bool anySquare(std::uint32_t set, Visit visit)
{
    for (; set; set &= set - 1) {
        if (visit(__builtin_ctz(set)))
            return true;
    }
    return false;
}

} // namespace

void MoveGenerator::generate(const PackedPosition& position, List& list) const
{
    list.count = 0;
    list.overflow = false;
    if (!hasCapture(position)) {
        generateSimple(position, list);
        return;
    }
    Walk walk{position, 0, 0, &list, 0, 0};
    anySquare(position.side2, [&](int square) {
        startCapture(walk, square);
        return false;
    });
}

int MoveGenerator::horizon(const PackedPosition& position, int enough) const
{
    // Whether side 2 can move at all is then all that is asked: a capture jumps at least one.
    if (enough <= 0 && hasSimpleMove(position))
        return 0;
    if (!hasCapture(position))
        return hasSimpleMove(position) ? 0 : NO_MOVE;
    // Every capture jumps at least one piece.
    if (enough <= 1)
        return 1;
    Walk walk{position, 0, 0, nullptr, 0, enough};
    anySquare(position.side2, [&](int square) {
        startCapture(walk, square);
        return walk.mostJumps >= enough;
    });
    return walk.mostJumps;
}

bool MoveGenerator::hasCapture(const PackedPosition& position) const
{
    const std::uint32_t empty = ALL_SQUARES & ~(position.side1 | position.side2);
    const bool flying = m_rules == Rules::RUSSIAN;
    const std::uint32_t kings = position.side2 & position.kings;
    const std::uint32_t men = position.side2 & ~position.kings;
    // Russian men jump backwards too; Russian kings jump from afar, below.
    const std::uint32_t backwards = flying ? men : kings;
    const std::uint32_t forwards = flying ? men : position.side2;
    for (int d = 0; d < DIRECTIONS; ++d) {
        const std::uint32_t movers = d < FIRST_FORWARD ? backwards : forwards;
        if (jumpers(movers, position.side1, empty, d))
            return true;
    }
    if (!flying)
        return false;
    return anySquare(kings, [&](int square) {
        for (int d = 0; d < DIRECTIONS; ++d) {
            const int over = firstOnRay(square, d, ~empty);
            if (isIn(position.side1, over) && isIn(empty, next(over, d)))
                return true;
        }
        return false;
    });
}

bool MoveGenerator::hasSimpleMove(const PackedPosition& position) const
{
    const std::uint32_t empty = ALL_SQUARES & ~(position.side1 | position.side2);
    const std::uint32_t kings = position.side2 & position.kings;
    for (int d = 0; d < DIRECTIONS; ++d) {
        const std::uint32_t movers = d < FIRST_FORWARD ? kings : position.side2;
        if (stepped(movers, d) & empty)
            return true;
    }
    return false;
}

void MoveGenerator::generateSimple(const PackedPosition& position, List& list) const
{
    const std::uint32_t empty = ALL_SQUARES & ~(position.side1 | position.side2);
    const bool flying = m_rules == Rules::RUSSIAN;
    // A simple move changes two squares: the reply is the position turned round once, changed.
    const PackedPosition turned = position.rotated();
    anySquare(position.side2, [&](int square) {
        const bool king = position.kings & bit(square);
        for (int d = king ? 0 : FIRST_FORWARD; d < DIRECTIONS; ++d) {
            for (int to = next(square, d); isIn(empty, to); to = next(to, d)) {
                if (list.count == CAPACITY) {
                    list.overflow = true;
                    return true;
                }
                addSimple(turned, square, to, king || (bit(to) & CROWN_ROW), list);
                if (!(king && flying))
                    break;
            }
        }
        return false;
    });
}

void MoveGenerator::addSimple(const PackedPosition& turned, int from, int to, bool king,
                              List& list) const
{
    const std::uint32_t left = bit(SQUARES - 1 - from);
    const std::uint32_t reached = bit(SQUARES - 1 - to);
    list.moves[list.count++] = {{turned.side2, (turned.side1 & ~left) | reached,
                                 (turned.kings & ~left) | (king ? reached : 0)},
                                0,
                                static_cast<std::uint8_t>(from),
                                static_cast<std::uint8_t>(to)};
}

bool MoveGenerator::startCapture(Walk& walk, int square) const
{
    walk.start = bit(square);
    walk.empty = (ALL_SQUARES & ~(walk.before.side1 | walk.before.side2)) | walk.start;
    if (walk.before.kings & walk.start)
        return kingCapture(walk, square, 0, 0, ALL_DIRECTIONS);
    return manCapture(walk, square, 0, 0);
}

bool MoveGenerator::manCapture(Walk& walk, int square, std::uint32_t taken, int jumps) const
{
    const bool russian = m_rules == Rules::RUSSIAN;
    bool any = false;
    // Russian men jump backwards too.
    for (int d = russian ? 0 : FIRST_FORWARD; d < DIRECTIONS; ++d) {
        const int over = next(square, d);
        if (!isIn(walk.before.side1 & ~taken, over))
            continue;
        const int landing = next(over, d);
        if (!isIn(walk.empty, landing))
            continue;
        any = true;
        const std::uint32_t jumped = taken | bit(over);
        if (bit(landing) & CROWN_ROW) {
            // A Russian man goes on as a king; an English man's move ends with the crown.
            if (!russian || !kingCapture(walk, landing, jumped, jumps + 1, ALL_DIRECTIONS))
                finishCapture(walk, landing, true, jumped, jumps + 1);
        } else if (!manCapture(walk, landing, jumped, jumps + 1)) {
            finishCapture(walk, landing, false, jumped, jumps + 1);
        }
    }
    return any;
}

bool MoveGenerator::kingCapture(Walk& walk, int square, std::uint32_t taken, int jumps,
                                unsigned directions) const
{
    const bool flying = m_rules == Rules::RUSSIAN;
    bool any = false;
    for (int d = 0; d < DIRECTIONS; ++d) {
        if (!(directions & (1u << d)))
            continue;
        const int over = flying ? firstOnRay(square, d, ~walk.empty) : next(square, d);
        if (!isIn(walk.before.side1 & ~taken, over))
            continue;
        const int nearest = next(over, d);
        if (!isIn(walk.empty, nearest))
            continue;
        any = true;
        const std::uint32_t jumped = taken | bit(over);
        int farthest = nearest;
        if (flying) {
            while (isIn(walk.empty, next(farthest, d)))
                farthest = next(farthest, d);
        }
        // A flying king must land where it can go on, if it can anywhere; going on straight is
        // the same from every landing square, so it is tried from the farthest only.
        bool goesOn = false;
        for (int landing = nearest;; landing = next(landing, d)) {
            const unsigned onward = across(d) | (landing == farthest ? 1u << d : 0u);
            goesOn |= kingCapture(walk, landing, jumped, jumps + 1, onward);
            if (landing == farthest)
                break;
        }
        if (goesOn)
            continue;
        for (int landing = nearest;; landing = next(landing, d)) {
            finishCapture(walk, landing, true, jumped, jumps + 1);
            if (landing == farthest)
                break;
        }
    }
    return any;
}

void MoveGenerator::finishCapture(Walk& walk, int square, bool king, std::uint32_t taken,
                                  int jumps) const
{
    if (!walk.list) {
        walk.mostJumps = std::max(walk.mostJumps, jumps);
        return;
    }
    const PackedPosition& before = walk.before;
    const PackedPosition reply =
        PackedPosition{(before.side2 & ~walk.start) | bit(square), before.side1 & ~taken,
                       (before.kings & ~walk.start & ~taken) | (king ? bit(square) : 0)}
            .rotated();
    List& list = *walk.list;
    // Another route to the same position is the same move.
    if (std::any_of(list.moves, list.moves + list.count,
                    [&](const Move& move) { return move.reply == reply; }))
        return;
    if (list.count == CAPACITY) {
        list.overflow = true;
        return;
    }
    list.moves[list.count++] = {reply, jumps, static_cast<std::uint8_t>(__builtin_ctz(walk.start)),
                                static_cast<std::uint8_t>(square)};
}
