#include "evaluation.h"

#include <cstdint>

namespace
{

constexpr int ROWS = 8;
constexpr int SQUARES_PER_ROW = 4;
constexpr std::uint32_t ALL_SQUARES = 0xFFFFFFFFu;
constexpr std::uint32_t BACK_RANK = 0x0000000Fu; // row 0, side 2's own
constexpr int FULL_BOARD = 24;                   // pieces at the start
constexpr int TRADE_SCALE = 64 * FULL_BOARD;

constexpr auto stepped = PackedPosition::stepped;

constexpr int rowOf(int square)
{
    return square / SQUARES_PER_ROW;
}

constexpr int columnOf(int square)
{
    return 2 * (square % SQUARES_PER_ROW) + (rowOf(square) + 1) % 2;
}

constexpr int distance(int a, int b)
{
    return a > b ? a - b : b - a;
}

// Squares by where they lie, and for each square the path of a side-2 man to the crown: every
// square an opposing piece could stop it from.
struct Geometry {
    std::uint32_t centre = 0;
    std::uint32_t kingCentre = 0;
    std::uint32_t edge = 0;
    std::uint32_t path[SQUARES] = {};
};

constexpr Geometry makeGeometry()
{
    Geometry g{};
    for (int square = 0; square < SQUARES; ++square) {
        const int row = rowOf(square);
        const int column = columnOf(square);
        const std::uint32_t bit = std::uint32_t{1} << square;
        const bool middleColumns = column >= 2 && column <= 5;
        if (middleColumns && row >= 3 && row <= 4)
            g.centre |= bit;
        if (middleColumns && row >= 2 && row <= 5)
            g.kingCentre |= bit;
        if (row == 0 || row == ROWS - 1 || column == 0 || column == ROWS - 1)
            g.edge |= bit;
        for (int ahead = 0; ahead < SQUARES; ++ahead) {
            const int rows = rowOf(ahead) - row;
            if (rows > 0 && distance(columnOf(ahead), column) <= rows)
                g.path[square] |= std::uint32_t{1} << ahead;
        }
    }
    return g;
}

constexpr Geometry GEOMETRY = makeGeometry();

int count(std::uint32_t set)
{
    return __builtin_popcount(set);
}

} // namespace

Evaluation::Evaluation(MoveGenerator::Rules rules) : m_weights(defaultWeights(rules)) {}

Evaluation::Weights Evaluation::defaultWeights(MoveGenerator::Rules rules)
{
    if (rules == MoveGenerator::Rules::RUSSIAN) {
        // A flying king sweeps whole diagonals and is worth two to three men.
        return {100, 250, {0, 2, 4, 6, 9, 13, 20, 0}, 8, 6, 10, -4, 3, 60, 6, -25, 16};
    }
    // English men gain little by going forward early (self-play: 54.5 % for this table against
    // the Russian one's steady steps): only the last rows before the crown count.
    return {100, 140, {0, 0, 0, 0, 2, 8, 16, 0}, 10, 6, 8, -6, 3, 40, 5, -25, 16};
}

bool Evaluation::hasSimpleMove(const PackedPosition& position)
{
    const std::uint32_t empty = ALL_SQUARES & ~(position.side1 | position.side2);
    const std::uint32_t kings = position.side2 & position.kings;
    return (stepped(kings, 0) | stepped(kings, 1) | stepped(position.side2, 2) |
            stepped(position.side2, 3)) &
           empty;
}

int Evaluation::value(const PackedPosition& position) const
{
    const int lead = material(position) - material(position.rotated());
    const int pieces = count(position.side1 | position.side2);
    const int trade = lead * m_weights.trade * (FULL_BOARD - pieces) / TRADE_SCALE;
    return lead + trade + positional(position) - positional(position.rotated());
}

int Evaluation::material(const PackedPosition& position) const
{
    const std::uint32_t kings = position.side2 & position.kings;
    return count(position.side2 & ~kings) * m_weights.man + count(kings) * m_weights.king;
}

int Evaluation::positional(const PackedPosition& position) const
{
    const Weights& w = m_weights;
    const std::uint32_t empty = ALL_SQUARES & ~(position.side1 | position.side2);
    const std::uint32_t kings = position.side2 & position.kings;
    const std::uint32_t men = position.side2 & ~kings;
    const bool opponentHasMen = position.side1 & ~position.kings;
    const bool opponentHasKings = position.side1 & position.kings;
    int score = 0;

    for (std::uint32_t set = men; set; set &= set - 1) {
        const int square = __builtin_ctz(set);
        const int row = rowOf(square);
        score += w.advance[row];
        if (!opponentHasKings && !(GEOMETRY.path[square] & position.side1))
            score += w.runaway - w.runawayPerRow * (ROWS - 1 - row);
    }
    if (opponentHasMen)
        score += count(men & BACK_RANK) * w.backRank;
    score += count(men & GEOMETRY.centre) * w.centre;
    score += count(kings & GEOMETRY.kingCentre) * w.kingCentre;
    score += count(kings & GEOMETRY.edge) * w.kingEdge;

    int moves = count(stepped(men, 2) & empty) + count(stepped(men, 3) & empty);
    for (std::uint32_t set = kings; set; set &= set - 1) {
        const std::uint32_t king = set & (~set + 1);
        int free = 0;
        for (int d = 0; d < 4; ++d)
            free += (stepped(king, d) & empty) != 0;
        moves += free;
        if (free == 0)
            score += w.trappedKing;
    }
    return score + moves * w.mobility;
}
