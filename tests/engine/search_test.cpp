#include "support/positions.h"
#include "support/scatteredendgames.h"

#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

using positions::cells;
using positions::text;

namespace
{

std::unique_ptr<Checkers> engineFor(bool russian, const std::string& position, int level)
{
    std::unique_ptr<Checkers> engine;
    if (russian)
        engine = std::make_unique<RCheckers>();
    else
        engine = std::make_unique<ECheckers>();
    EXPECT_TRUE(engine->fromString(position));
    engine->level = level;
    return engine;
}

void expectNoJumpMarks(const Checkers& engine)
{
    for (int square = 0; square < SQUARES; ++square)
        EXPECT_NE(positions::at(engine, square), BORDER) << "square " << square;
}

// With two plies a move is worth the pieces it jumps less the most any reply jumps, or its jumps
// plus 10 when the reply has no move at all.
TEST(Search, ValuesAtLevelTwo)
{
    struct Case {
        const char* name;
        std::string position;
        int value;
        std::string after; // empty: any move
    };
    const Case cases[] = {
        {"simple move, no capture in reply", text({{0, MAN2}, {31, MAN1}}), 0, ""},
        {"jumps 1, the reply jumps 2",
         text({{9, MAN2}, {10, MAN2}, {14, MAN1}, {17, MAN1}, {23, MAN1}, {27, MAN1}}), -1,
         text({{18, MAN2}, {10, MAN2}, {17, MAN1}, {23, MAN1}, {27, MAN1}})},
        {"jumps 2, the reply jumps 1",
         text({{0, MAN2}, {5, MAN1}, {14, MAN1}, {22, MAN1}, {25, MAN1}}), 1,
         text({{18, MAN2}, {22, MAN1}, {25, MAN1}})},
        {"jumps 1, no reply at all", text({{21, MAN2}, {24, MAN1}}), 11, text({{28, KING2}})},
        {"no move at all", text({{0, MAN2}, {4, MAN1}, {5, MAN1}, {9, MAN1}}), -20,
         text({{0, MAN2}, {4, MAN1}, {5, MAN1}, {9, MAN1}})},
    };
    for (const Case& c : cases) {
        const auto engine = engineFor(false, c.position, 2);
        EXPECT_EQ(engine->go2(), c.value) << c.name;
        if (!c.after.empty()) {
            EXPECT_EQ(engine->toString(false), c.after) << c.name;
        }
        expectNoJumpMarks(*engine);
    }
}

TEST(Search, LossScoreGrowsWithTheLevel)
{
    const std::string blocked = text({{0, MAN2}, {4, MAN1}, {5, MAN1}, {9, MAN1}});
    for (bool russian : {false, true}) {
        for (int level = 2; level <= 9; ++level) {
            const auto engine = engineFor(russian, blocked, level);
            EXPECT_EQ(engine->go2(), -10 * level);
            EXPECT_EQ(engine->toString(false), blocked);
        }
    }
}

TEST(Search, PlaysTheOnlyMoveWhateverItsValue)
{
    // Side 2's only move walks into a capture.
    const std::string position = text({{4, MAN2}, {13, MAN1}});
    for (bool russian : {false, true}) {
        for (int level : {2, 3, 4}) {
            const auto engine = engineFor(russian, position, level);
            const int value = engine->go2();
            EXPECT_EQ(engine->toString(false), text({{8, MAN2}, {13, MAN1}})) << level;
            EXPECT_LT(value, 0);
        }
    }
}

TEST(Search, AlwaysPlaysACompleteCaptureWhenOneIsDue)
{
    // A triple jump is available; quiet moves are not.
    const std::string position = text({{0, MAN2}, {3, MAN2}, {5, MAN1}, {14, MAN1}, {22, MAN1}});
    for (bool russian : {false, true}) {
        for (int seed = 1; seed <= 20; ++seed) {
            const auto engine = engineFor(russian, position, 3);
            std::srand(seed);
            engine->go2();
            EXPECT_EQ(engine->toString(false), text({{25, MAN2}, {3, MAN2}})) << seed;
        }
    }
}

TEST(Search, ManReachingRow7BySimpleMoveIsCrowned)
{
    for (bool russian : {false, true}) {
        const auto engine = engineFor(russian, text({{24, MAN2}, {3, KING1}}), 2);
        engine->go2();
        const int crowned =
            positions::at(*engine, 28) == KING2 || positions::at(*engine, 29) == KING2;
        EXPECT_TRUE(crowned) << engine->toString(false);
    }
}

TEST(Search, ChoosesUniformlyAmongEqualMovesAndReproducibly)
{
    // From the start every one of side 2's seven moves is worth 0 at level 2.
    for (bool russian : {false, true}) {
        std::map<std::string, int> seen;
        const int games = 700;
        for (int seed = 0; seed < games; ++seed) {
            const auto engine = engineFor(russian, positions::start(), 2);
            std::srand(seed); // after construction, which seeds with the time
            EXPECT_EQ(engine->go2(), 0);
            ++seen[engine->toString(false)];

            const auto again = engineFor(russian, positions::start(), 2);
            std::srand(seed);
            again->go2();
            EXPECT_EQ(again->toString(false), engine->toString(false));
        }
        ASSERT_EQ(seen.size(), 7u);
        for (const auto& [position, count] : seen)
            EXPECT_GT(count, games / 7 / 2) << position; // each about 100 times
    }
}

// Endgames are where the search's short cuts bite: stalemates within the horizon bound the
// values, long king captures transpose, and many root moves tie. One engine searches them all,
// remembering its tables from position to position as in a game.
TEST(Search, EndgamesDecideAsTheReference)
{
    constexpr double REFERENCE_BUDGET = 1e5; // positions the reference may search for one case
    for (bool russian : {false, true}) {
        const auto fast = engineFor(russian, positions::start(), 2);
        const auto reference = engineFor(russian, positions::start(), 2);
        int deepest = 0;
        for (const std::string& position : scatteredEndgames(russian ? 31 : 32, 100)) {
            // The deepest level up to 9 whose full-width search stays within the budget, told by
            // the growth from one level to the next.
            const auto referenceNodes = [&](int level) {
                reference->fromString(position);
                reference->level = level;
                reference->go2Reference();
                return static_cast<double>(std::max(1LL, reference->nodes()));
            };
            int level = 2;
            double below = 1;
            double nodes = referenceNodes(level);
            while (level < 9 && nodes * nodes / below < REFERENCE_BUDGET) {
                below = nodes;
                nodes = referenceNodes(++level);
            }
            deepest = std::max(deepest, level);
            for (unsigned seed : {1u, 2u}) {
                int next[2][3];
                std::string after[2];
                int value[2];
                for (int which = 0; which < 2; ++which) {
                    Checkers& engine = which == 0 ? *fast : *reference;
                    engine.fromString(position);
                    engine.level = level;
                    std::srand(seed);
                    value[which] = which == 0 ? engine.go2() : engine.go2Reference();
                    after[which] = engine.toString(false);
                    for (int& n : next[which])
                        n = std::rand();
                }
                ASSERT_EQ(after[0], after[1]) << position << " level " << level;
                ASSERT_EQ(value[0], value[1]) << position << " level " << level;
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(next[0][k], next[1][k]) << position << " level " << level;
            }
        }
        EXPECT_GE(deepest, 7) << "the endgames should reach the deeper levels";
    }
}

TEST(Search, LevelOneOrLessLeavesTheBoard)
{
    for (int level : {1, 0, -3}) {
        const auto engine = engineFor(true, positions::start(), level);
        engine->go2();
        EXPECT_EQ(engine->toString(false), positions::start());
    }
}

TEST(Search, LeavesNoJumpMarksAndOnlyTheMoveChanged)
{
    // Middle-game positions with captures for both sides, kings included.
    const std::string position = text({{1, MAN2},
                                       {5, MAN2},
                                       {9, KING2},
                                       {10, MAN2},
                                       {14, MAN1},
                                       {17, MAN1},
                                       {18, MAN2},
                                       {21, MAN1},
                                       {22, MAN1},
                                       {26, KING1},
                                       {29, MAN1},
                                       {30, MAN1}});
    for (bool russian : {false, true}) {
        for (int level = 2; level <= 6; ++level) {
            const auto engine = engineFor(russian, position, level);
            engine->go2();
            expectNoJumpMarks(*engine);
            // Side 1's pieces can only have been captured; no piece of side 1 appeared.
            int side1 = 0;
            for (int square = 0; square < SQUARES; ++square) {
                const int value = positions::at(*engine, square);
                side1 += value == MAN1 || value == KING1;
            }
            EXPECT_LE(side1, 7);
            EXPECT_NE(engine->toString(false), position);
        }
    }
}

} // namespace
