#include "support/movecase.h"

#include "rules/echeckers.h"

using positions::text;

namespace
{

class EnglishMoves : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(EnglishMoves, AreCheckedAndApplied)
{
    expectMove<ECheckers>(GetParam());
}

const std::string CAPTURE_LINE = text({{22, MAN1}, {18, MAN2}, {30, MAN1}});
const std::string DOUBLE = text({{22, MAN1}, {18, MAN2}, {10, MAN2}});
const std::string TWO_ROUTES = text({{22, MAN1}, {17, MAN2}, {9, MAN2}, {18, MAN2}, {10, MAN2}});
const std::string CROWNING = text({{10, MAN1}, {6, MAN2}, {5, MAN2}});
const std::string KING_CIRCLE = text({{22, KING1}, {17, MAN2}, {9, MAN2}, {18, MAN2}, {10, MAN2}});

INSTANTIATE_TEST_SUITE_P(
    Rules, EnglishMoves,
    ::testing::Values(
        MoveCase{"forward left", positions::start(), 1, 21, 16, true,
                 "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 1 3 3 3 1 3 1 1 1 1 1 1 1 1 1 1 "},
        MoveCase{"forward right", positions::start(), 1, 21, 17, true,
                 "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 1 3 3 1 3 1 1 1 1 1 1 1 1 1 1 "},
        MoveCase{"two rows", positions::start(), 1, 21, 13, false, ""},
        MoveCase{"single jump", CAPTURE_LINE, 1, 22, 15, true, text({{15, MAN1}, {30, MAN1}})},
        MoveCase{"simple move while a capture is due", CAPTURE_LINE, 1, 30, 26, false, ""},
        MoveCase{"double jump", DOUBLE, 1, 22, 6, true, text({{6, MAN1}})},
        MoveCase{"stopping halfway", DOUBLE, 1, 22, 15, false, ""},
        MoveCase{"first route found wins", TWO_ROUTES, 1, 22, 6, true,
                 text({{6, MAN1}, {18, MAN2}, {10, MAN2}})},
        MoveCase{"crowning ends the move", CROWNING, 1, 10, 1, true, text({{1, KING1}, {5, MAN2}})},
        MoveCase{"no jumping on as a new king", CROWNING, 1, 10, 8, false, ""},
        MoveCase{"man does not capture backwards", text({{13, MAN1}, {17, MAN2}}), 1, 13, 22, false,
                 ""},
        MoveCase{"king captures backwards", text({{13, KING1}, {17, MAN2}}), 1, 13, 22, true,
                 text({{22, KING1}})},
        MoveCase{"king steps backwards", text({{13, KING1}, {22, MAN2}}), 1, 13, 17, true,
                 text({{17, KING1}, {22, MAN2}})},
        MoveCase{"king does not fly", text({{13, KING1}, {22, MAN2}}), 1, 13, 26, false, ""},
        MoveCase{"king comes back to its start", KING_CIRCLE, 1, 22, 22, true, text({{22, KING1}})},
        MoveCase{"king may not stop early", KING_CIRCLE, 1, 22, 6, false, ""},
        MoveCase{"side 2 by a person", positions::start(), 2, 8, 12, true,
                 "5 5 5 5 5 5 5 5 3 5 5 5 5 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 "},
        MoveCase{"side 2 crowned by a simple move", text({{24, MAN2}}), 2, 24, 28, true,
                 text({{28, KING2}})},
        MoveCase{"side 2 man does not move backwards", text({{24, MAN2}}), 2, 24, 20, false, ""},
        MoveCase{"side 2 must capture", text({{9, MAN2}, {13, MAN1}, {0, MAN2}}), 2, 0, 4, false,
                 ""},
        MoveCase{"side 2 captures", text({{9, MAN2}, {13, MAN1}, {0, MAN2}}), 2, 9, 16, true,
                 text({{16, MAN2}, {0, MAN2}})},
        MoveCase{"side 1 cannot move side 2", text({{9, MAN2}}), 1, 9, 13, false, ""}));

TEST(EnglishRules, KingCircleIsTheOnlyMove)
{
    for (int to = 0; to < SQUARES; ++to) {
        ECheckers engine;
        ASSERT_TRUE(engine.fromString(KING_CIRCLE));
        EXPECT_EQ(engine.go1(22, to), to == 22) << to;
    }
}

TEST(EnglishRules, CaptureTests)
{
    const CaptureCase cases[] = {
        {text({{13, MAN1}, {17, MAN2}}), false, false}, // men only capture forwards
        {text({{13, KING1}, {17, MAN2}}), true, false},
        {text({{13, KING1}, {22, MAN2}}), false, false}, // no capture over distance
        {text({{17, MAN2}, {22, MAN1}}), true, true},
        {text({{22, MAN2}, {17, MAN1}}), false, false}, // nor backwards for side 2
        {text({{22, KING2}, {17, KING1}}), true, true},
        {text({{7, MAN1}, {3, MAN2}}), false, true}, // side 1 would land off the board
    };
    for (const CaptureCase& c : cases)
        expectCaptures<ECheckers>(c);
}

TEST(EnglishRules, TripleJumpIsOneMoveWorthThree)
{
    ECheckers engine;
    ASSERT_TRUE(engine.fromString(text({{0, MAN2}, {5, MAN1}, {14, MAN1}, {22, MAN1}})));
    const auto before = positions::cells(engine);
    RecordingSink sink(engine);
    engine.generateMoves2(sink);
    ASSERT_EQ(sink.moves.size(), 1u);
    EXPECT_EQ(sink.moves[0].position, text({{25, MAN2}}));
    EXPECT_EQ(sink.moves[0].jumps, 3);
    EXPECT_EQ(positions::cells(engine), before);
}

TEST(EnglishRules, GeneratorsRestoreBoardAndScoreJumps)
{
    const GeneratorCase cases[] = {
        {text({{0, MAN2}, {5, MAN1}, {14, MAN1}, {22, MAN1}}), 0, 0, false, -10, 3},
        {text({{0, MAN2}, {5, MAN1}, {14, MAN1}, {22, MAN1}}), 0, 0, false, 5, 5},
        {text({{17, KING2}, {13, MAN1}, {5, MAN1}, {6, MAN1}}), 17, UP_LEFT, true, -10, 3},
        {text({{17, KING2}, {13, MAN1}}), 17, 0, true, -10, 0},
        {text({{17, MAN2}}), 17, 0, false, -10, -10},
    };
    for (const GeneratorCase& c : cases)
        expectGenerator<ECheckers>(c);
}

} // namespace
