// The bit-set move generator against the rule sets' own generators: the same set of complete
// moves in every position, and the same verdict at the search's horizon.

#include "support/randomgames.h"
#include "support/scatteredendgames.h"

#include "engine/movegenerator.h"
#include "engine/movesink.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <tuple>

namespace
{

using MoveKey = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, int>;

MoveKey keyOf(const PackedPosition& after, int jumps)
{
    return {after.side2, after.side1, after.kings, jumps};
}

// The rule set's moves, each distinct one once.
struct RuleSetMoves : MoveSink {
    void onMove(const int* cells, int jumps) override
    {
        keys.insert(keyOf(PackedPosition::fromCells(cells, Checkers::SQUARE_CELLS), jumps));
        mostJumps = std::max(mostJumps, jumps);
        ++count;
    }
    std::set<MoveKey> keys;
    int mostJumps = 0;
    int count = 0;
};

template <typename Rules>
void compare(MoveGenerator::Rules rules, const std::vector<std::string>& positions)
{
    Rules engine;
    MoveGenerator generator;
    generator.setRules(rules);
    MoveGenerator::List list;
    for (const std::string& text : positions) {
        ASSERT_TRUE(engine.fromString(text));
        RuleSetMoves expected;
        engine.generateMoves2(expected);
        const PackedPosition position =
            PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);

        generator.generate(position, list);
        ASSERT_FALSE(list.overflow) << text;
        std::set<MoveKey> got;
        for (int i = 0; i < list.count; ++i)
            got.insert(keyOf(list.moves[i].reply.rotated(), list.moves[i].jumps));
        EXPECT_EQ(static_cast<size_t>(list.count), got.size()) << "a move given twice: " << text;
        EXPECT_EQ(got, expected.keys) << text;

        const int horizon = expected.count == 0 ? MoveGenerator::NO_MOVE : expected.mostJumps;
        EXPECT_EQ(generator.horizon(position, std::numeric_limits<int>::max()), horizon) << text;
        // Asked only whether the most reaches `enough`: exact below it, never above the truth.
        for (int enough = 0; enough <= 3; ++enough) {
            const int got = generator.horizon(position, enough);
            if (horizon < enough)
                EXPECT_EQ(got, horizon) << text;
            else
                EXPECT_TRUE(got >= enough && got <= horizon) << text << " enough " << enough;
        }
        EXPECT_EQ(generator.hasCapture(position), engine.checkCapture2()) << text;
    }
}

TEST(MoveGenerator, EnglishMovesAreTheRuleSetsMoves)
{
    ECheckers scratch;
    compare<ECheckers>(MoveGenerator::Rules::ENGLISH, RandomGames(scratch, 21).positions(3000));
    compare<ECheckers>(MoveGenerator::Rules::ENGLISH, scatteredEndgames(22, 3000));
}

TEST(MoveGenerator, RussianMovesAreTheRuleSetsMoves)
{
    RCheckers scratch;
    compare<RCheckers>(MoveGenerator::Rules::RUSSIAN, RandomGames(scratch, 23).positions(3000));
    compare<RCheckers>(MoveGenerator::Rules::RUSSIAN, scatteredEndgames(24, 3000));
}

} // namespace
