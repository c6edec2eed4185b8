// Grandmaster's evaluation: the same judgement for both sides, and each of its terms where it
// starts and stops counting.

#include "support/positions.h"
#include "support/randomgames.h"

#include "engine/evaluation.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <functional>

using positions::text;

namespace
{

PackedPosition packed(const std::string& position)
{
    ECheckers engine;
    EXPECT_TRUE(engine.fromString(position));
    return PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
}

// A position and the same position turned round for the other side are worth opposite values,
// or the search would favour one colour.
template <typename Rules> void expectAntisymmetric(MoveGenerator::Rules rules, unsigned seed)
{
    Rules scratch;
    const Evaluation evaluation(rules);
    for (const std::string& position : RandomGames(scratch, seed).positions(500)) {
        const PackedPosition p = packed(position);
        ASSERT_EQ(evaluation.value(p), -evaluation.value(p.rotated())) << position;
    }
}

TEST(Evaluation, BothSidesAreJudgedAlike)
{
    expectAntisymmetric<ECheckers>(MoveGenerator::Rules::ENGLISH, 31);
    expectAntisymmetric<RCheckers>(MoveGenerator::Rules::RUSSIAN, 32);
}

// Each term counts exactly where it should: the value with the term's weight less the value
// without it.
TEST(Evaluation, EachTermCountsWhereItApplies)
{
    using Weights = Evaluation::Weights;
    struct Case {
        const char* name;
        std::string position;
        std::function<void(Weights&)> withoutTerm;
        bool counts;
    };
    const auto runaway = [](Weights& w) { w.runaway = 0, w.runawayPerRow = 0; };
    const auto trapped = [](Weights& w) { w.trappedKing = 0; };
    const auto backRank = [](Weights& w) { w.backRank = 0; };
    const Case cases[] = {
        // Side 2's man on 16 goes down to row 7; side 1's man on 4 is behind it.
        {"runaway: nothing in the path", text({{16, MAN2}, {4, MAN1}}), runaway, true},
        {"runaway: a man in the path", text({{16, MAN2}, {28, MAN1}}), runaway, false},
        {"runaway: a man at the edge of the path", text({{16, MAN2}, {30, MAN1}}), runaway, false},
        {"runaway: a man just beside the path", text({{16, MAN2}, {31, MAN1}}), runaway, true},
        {"runaway: a king anywhere can stop it", text({{16, MAN2}, {0, KING1}}), runaway, false},
        {"trapped king: no free square beside", text({{3, KING2}, {7, MAN1}, {10, MAN1}}), trapped,
         true},
        {"trapped king: one free square", text({{3, KING2}, {10, MAN1}}), trapped, false},
        {"back rank: against men", text({{1, MAN2}, {22, MAN1}}), backRank, true},
        {"back rank: against kings only", text({{1, MAN2}, {22, KING1}}), backRank, false},
    };
    for (const MoveGenerator::Rules rules :
         {MoveGenerator::Rules::ENGLISH, MoveGenerator::Rules::RUSSIAN}) {
        for (const Case& c : cases) {
            const Evaluation with(rules);
            Evaluation without(rules);
            Weights weights = without.weights();
            c.withoutTerm(weights);
            without.setWeights(weights);
            const PackedPosition p = packed(c.position);
            EXPECT_EQ(with.value(p) != without.value(p), c.counts) << c.name;
        }
    }
}

// What a player knows before anything else: a king is worth more than a man, a man nearer the
// crown never less than one further back, and more over the last rows before it.
TEST(Evaluation, KingsAndAdvancedMenAreWorthMore)
{
    for (const MoveGenerator::Rules rules :
         {MoveGenerator::Rules::ENGLISH, MoveGenerator::Rules::RUSSIAN}) {
        const Evaluation evaluation(rules);
        const auto value = [&](const std::string& p) { return evaluation.value(packed(p)); };
        EXPECT_GT(value(text({{13, KING2}, {2, KING1}, {31, MAN1}})),
                  value(text({{13, MAN2}, {2, KING1}, {31, MAN1}})));
        // Two rows further down the same column, out of reach of side 1's king.
        constexpr int LAST_ROWS_FROM = 8; // men from row 2 on reach row 4 or further
        for (int square = 4; square < 16; ++square) {
            const int nearer = value(text({{square + 8, MAN2}, {31, KING1}}));
            const int further = value(text({{square, MAN2}, {31, KING1}}));
            if (square >= LAST_ROWS_FROM)
                EXPECT_GT(nearer, further) << square;
            else
                EXPECT_GE(nearer, further) << square;
        }
    }
}

TEST(Evaluation, SimpleMovesOnlyWhereASquareIsFree)
{
    // Side 2's man on 24 is blocked by side 1's men on 28 and 29 on the last row.
    EXPECT_FALSE(Evaluation::hasSimpleMove(packed(text({{24, MAN2}, {28, MAN1}, {29, MAN1}}))));
    EXPECT_TRUE(Evaluation::hasSimpleMove(packed(text({{24, MAN2}, {28, MAN1}}))));
    // A king also steps backwards.
    EXPECT_TRUE(Evaluation::hasSimpleMove(packed(text({{24, KING2}, {28, MAN1}, {29, MAN1}}))));
    EXPECT_FALSE(Evaluation::hasSimpleMove(packed(text({{0, MAN1}}))));
}

} // namespace
