#include "support/movecase.h"

#include "rules/rcheckers.h"

using positions::text;

namespace
{

class RussianMoves : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(RussianMoves, AreCheckedAndApplied)
{
    expectMove<RCheckers>(GetParam());
}

const std::string FLYING_CAPTURE = text({{13, KING1}, {22, MAN2}});
const std::string CROWNING = text({{10, MAN1}, {6, MAN2}, {5, MAN2}});
const std::string KING_GOES_ON = text({{13, KING1}, {22, MAN2}, {23, MAN2}});
const std::string MAN_CIRCLE = text({{22, MAN1}, {17, MAN2}, {9, MAN2}, {18, MAN2}, {10, MAN2}});
// The same circle for side 2, seen from the other end of the board.
const std::string MAN_CIRCLE2 = text({{9, MAN2}, {14, MAN1}, {22, MAN1}, {13, MAN1}, {21, MAN1}});

INSTANTIATE_TEST_SUITE_P(
    Rules, RussianMoves,
    ::testing::Values(
        MoveCase{"man captures backwards", text({{13, MAN1}, {17, MAN2}}), 1, 13, 22, true,
                 text({{22, MAN1}})},
        MoveCase{"flying capture, near landing", FLYING_CAPTURE, 1, 13, 26, true,
                 text({{26, KING1}})},
        MoveCase{"flying capture, far landing", FLYING_CAPTURE, 1, 13, 31, true,
                 text({{31, KING1}})},
        MoveCase{"flying capture, off the line", FLYING_CAPTURE, 1, 13, 30, false, ""},
        MoveCase{"simple move while a capture is due", FLYING_CAPTURE, 1, 13, 17, false, ""},
        MoveCase{"flying move", text({{13, KING1}}), 1, 13, 31, true, text({{31, KING1}})},
        MoveCase{"flying move forwards", text({{13, KING1}}), 1, 13, 2, true, text({{2, KING1}})},
        MoveCase{"flying move off its diagonals", text({{13, KING1}}), 1, 13, 0, false, ""},
        MoveCase{"flying move through a piece", text({{13, KING1}, {22, MAN1}}), 1, 13, 31, false,
                 ""},
        MoveCase{"crowned man goes on as a king", CROWNING, 1, 10, 8, true, text({{8, KING1}})},
        MoveCase{"and may land further", CROWNING, 1, 10, 12, true, text({{12, KING1}})},
        MoveCase{"crowned man may not stop", CROWNING, 1, 10, 1, false, ""},
        MoveCase{"king goes on from the right square", KING_GOES_ON, 1, 13, 19, true,
                 text({{19, KING1}})},
        MoveCase{"king may not stop while it can go on", KING_GOES_ON, 1, 13, 26, false, ""},
        MoveCase{"nor on the far square", KING_GOES_ON, 1, 13, 31, false, ""},
        MoveCase{"man comes back to its start", MAN_CIRCLE, 1, 22, 22, true, text({{22, MAN1}})},
        MoveCase{"man may not stop early", MAN_CIRCLE, 1, 22, 6, false, ""},
        MoveCase{"side 2 crowned by a simple move", text({{24, MAN2}}), 2, 24, 28, true,
                 text({{28, KING2}})},
        MoveCase{"side 2 man captures backwards", text({{17, MAN2}, {13, MAN1}}), 2, 17, 8, true,
                 text({{8, MAN2}})},
        MoveCase{"side 2 king flies", text({{0, KING2}, {14, MAN1}}), 2, 0, 27, true,
                 text({{27, KING2}})},
        MoveCase{"side 2 crowned in a capture goes on", text({{21, MAN2}, {25, MAN1}, {23, MAN1}}),
                 2, 21, 19, true, text({{19, KING2}})},
        MoveCase{"side 2 crowned in a capture may not stop",
                 text({{21, MAN2}, {25, MAN1}, {23, MAN1}}), 2, 21, 30, false, ""}));

TEST(RussianRules, ManCircleIsTheOnlyMove)
{
    for (int to = 0; to < SQUARES; ++to) {
        RCheckers engine;
        ASSERT_TRUE(engine.fromString(MAN_CIRCLE));
        EXPECT_EQ(engine.go1(22, to), to == 22) << to;
    }
}

TEST(RussianRules, CaptureTests)
{
    const CaptureCase cases[] = {
        {text({{13, MAN1}, {17, MAN2}}), true, true}, // men capture both ways
        {text({{13, KING1}, {22, MAN2}}), true, false},
        {text({{13, KING1}, {22, MAN2}, {26, MAN2}}), false, false}, // two in a row
        {text({{13, KING1}, {22, MAN2}, {31, MAN1}}), true, false},  // lands on 26
        {text({{13, KING1}, {17, MAN1}, {22, MAN2}, {26, KING1}, {31, MAN1}}), false,
         false}, // own pieces in the way
        {text({{0, KING2}, {14, MAN1}}), false, true},
        {text({{7, MAN1}, {3, MAN2}}), false, true}, // side 1 would land off the board
    };
    for (const CaptureCase& c : cases)
        expectCaptures<RCheckers>(c);
}

TEST(RussianRules, KingCaptureIsValuedOnEveryLandingSquareFarthestFirst)
{
    RCheckers engine;
    ASSERT_TRUE(engine.fromString(text({{0, KING2}, {14, MAN1}})));
    const auto before = positions::cells(engine);
    RecordingSink sink(engine);
    engine.generateMoves2(sink);
    ASSERT_EQ(sink.moves.size(), 3u);
    EXPECT_EQ(sink.moves[0].position, text({{27, KING2}}));
    EXPECT_EQ(sink.moves[1].position, text({{23, KING2}}));
    EXPECT_EQ(sink.moves[2].position, text({{18, KING2}}));
    for (const auto& move : sink.moves)
        EXPECT_EQ(move.jumps, 1);
    EXPECT_EQ(positions::cells(engine), before);
}

TEST(RussianRules, ManCrownedInACaptureIsValuedOnlyAfterTheKingsJumps)
{
    RCheckers engine;
    ASSERT_TRUE(engine.fromString(text({{21, MAN2}, {25, MAN1}, {23, MAN1}})));
    RecordingSink sink(engine);
    engine.generateMoves2(sink);
    ASSERT_EQ(sink.moves.size(), 1u);
    EXPECT_EQ(sink.moves[0].position, text({{19, KING2}}));
    EXPECT_EQ(sink.moves[0].jumps, 2);
}

TEST(RussianRules, JumpedPiecesBlockUntilTheSequenceEnds)
{
    // The man goes round the circle either way and stops where it began: the pieces it jumped
    // stay in its way until the end, so it neither jumps one twice nor stops early.
    RCheckers engine;
    ASSERT_TRUE(engine.fromString(MAN_CIRCLE2));
    RecordingSink sink(engine);
    engine.generateMoves2(sink);
    ASSERT_EQ(sink.moves.size(), 2u);
    for (const auto& move : sink.moves) {
        EXPECT_EQ(move.position, text({{9, MAN2}}));
        EXPECT_EQ(move.jumps, 4);
    }
}

TEST(RussianRules, GeneratorsRestoreBoardAndScoreJumps)
{
    const GeneratorCase cases[] = {
        {text({{0, KING2}, {14, MAN1}}), 0, DOWN_RIGHT, true, -20, 1},
        {text({{0, KING2}, {14, MAN1}}), 0, DOWN_LEFT, true, -20, -20},
        {text({{0, KING2}, {14, MAN1}}), 0, 0, true, -20, 0},
        {text({{21, MAN2}, {25, MAN1}, {23, MAN1}}), 21, 0, false, -20, 2},
        {text({{21, MAN2}, {25, MAN1}, {23, MAN1}}), 21, 0, false, 7, 7},
        {MAN_CIRCLE2, 9, 0, false, -20, 4},
    };
    for (const GeneratorCase& c : cases)
        expectGenerator<RCheckers>(c);
}

} // namespace
