#include "support/positions.h"

#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

using positions::at;
using positions::cells;

namespace
{

template <typename Rules> class CheckersTest : public ::testing::Test
{
protected:
    Rules engine;
};

using BothRules = ::testing::Types<ECheckers, RCheckers>;
TYPED_TEST_SUITE(CheckersTest, BothRules);

TYPED_TEST(CheckersTest, StartsFromTheStartingPosition)
{
    EXPECT_EQ(this->engine.toString(false), positions::start());
    EXPECT_EQ(this->engine.toString(false).size(), static_cast<size_t>(POSITION_TEXT_LENGTH));
    // The start is symmetric under the exchange of the sides.
    EXPECT_EQ(this->engine.toString(true), positions::start());
    EXPECT_EQ(this->engine.level, 2);
    EXPECT_TRUE(this->engine.undo_list.empty());
}

TYPED_TEST(CheckersTest, FlippedTextIsThePositionSeenByTheOtherSide)
{
    const std::string text = positions::text({{0, MAN1}, {5, KING2}, {31, MAN2}});
    ASSERT_TRUE(this->engine.fromString(text));
    EXPECT_EQ(this->engine.toString(true), positions::text({{31, MAN2}, {26, KING1}, {0, MAN1}}));
}

TYPED_TEST(CheckersTest, ReadsBackWhatItWrites)
{
    const std::string text = positions::text({{3, KING1}, {12, MAN2}, {17, KING2}, {30, MAN1}});
    ASSERT_TRUE(this->engine.fromString(text));
    EXPECT_EQ(this->engine.toString(false), text);
    TypeParam other;
    ASSERT_TRUE(other.fromString(positions::start()));
    EXPECT_EQ(cells(other), cells(TypeParam()));
}

TYPED_TEST(CheckersTest, ReadsAnyWhitespaceAndIgnoresWhatFollows)
{
    std::string spaced;
    for (char c : positions::start())
        spaced += c == ' ' ? std::string(" \t\n  ") : std::string(1, c);
    const std::string variants[] = {spaced, positions::start() + "5 5 5 garbage",
                                    "  " + positions::start().substr(0, 63)};
    for (const std::string& text : variants) {
        TypeParam engine;
        ASSERT_TRUE(engine.fromString(positions::text({{0, KING1}})));
        EXPECT_TRUE(engine.fromString(text)) << text;
        EXPECT_EQ(engine.toString(false), positions::start()) << text;
    }
}

TYPED_TEST(CheckersTest, RefusesTextsThatAreNoPosition)
{
    const std::string refused[] = {
        "",
        "5 5 5",                          // too few values
        positions::start().substr(0, 62), // 31 values
        "x " + positions::start(),        // not a number
        positions::text({{7, BORDER}}),   // a border value on a square
        positions::text({{7, 6}}),        // no such cell value
        positions::text({{31, -1}}),
        positions::text({{12, 33}}),
        "5 5.5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 ",
    };
    for (const std::string& text : refused) {
        const auto before = cells(this->engine);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(this->engine.fromString(text)) << text;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Checkers::fromString:" + text);
        EXPECT_EQ(cells(this->engine), before) << text;
    }
}

TYPED_TEST(CheckersTest, SetupAndFromStringNeverTouchTheBorder)
{
    int values[SQUARES];
    std::fill(std::begin(values), std::end(values), KING2);
    EXPECT_TRUE(this->engine.setup(values));
    ASSERT_TRUE(this->engine.fromString(positions::text({{0, MAN1}})));
    int playable = 0;
    for (int cell = 0; cell < CELLS; ++cell) {
        if (this->engine.board[cell] != BORDER)
            ++playable;
    }
    EXPECT_EQ(playable, SQUARES);
}

TYPED_TEST(CheckersTest, KeepsOneUndoTextPerAcceptedMoveOfSide1)
{
    Checkers& engine = this->engine;
    EXPECT_FALSE(engine.go1(21, 13)); // two rows away
    EXPECT_TRUE(engine.undo_list.empty());
    const std::string first = engine.toString(false);
    ASSERT_TRUE(engine.go1(21, 17));
    ASSERT_TRUE(engine.go2_human(8, 12)); // side 2 records nothing
    const std::string second = engine.toString(false);
    ASSERT_TRUE(engine.go1(22, 18));
    ASSERT_EQ(engine.undo_list.size(), 2u);
    EXPECT_EQ(engine.undo_list[0], first);
    EXPECT_EQ(engine.undo_list[1], second);
}

// Moves the board view never asks for must not corrupt the position.
TYPED_TEST(CheckersTest, RefusesSquaresOffTheBoardAndOccupiedDestinations)
{
    const std::pair<int, int> refused[] = {
        {-1, 17}, {21, -1}, {32, 17}, {21, 32}, {1000, 0}, // off the board
        {25, 21}, {26, 22}, {8, 4},                        // one step onto a piece
        {17, 13},                                          // from an empty square
        {8, 12},                                           // a piece of the other side
    };
    for (const auto& [from, to] : refused) {
        const auto before = cells(this->engine);
        EXPECT_FALSE(this->engine.go1(from, to)) << from << "-" << to;
        EXPECT_EQ(cells(this->engine), before);
        EXPECT_FALSE(this->engine.go2_human(to, from)) << to << "-" << from;
        EXPECT_EQ(cells(this->engine), before);
    }
    EXPECT_TRUE(this->engine.undo_list.empty());
}

TYPED_TEST(CheckersTest, CanMoveTestsLookAtSimpleMovesOnly)
{
    Checkers& engine = this->engine;
    EXPECT_TRUE(engine.checkMove1());
    EXPECT_TRUE(engine.checkMove2());
    // Side 2's man on 0 is blocked but can capture: checkMove2 alone does not see it.
    ASSERT_TRUE(engine.fromString(positions::text({{0, MAN2}, {4, MAN1}, {5, MAN1}})));
    EXPECT_FALSE(engine.checkMove2());
    EXPECT_TRUE(engine.checkCapture2());
    EXPECT_FALSE(engine.checkMove1(engine.internal(4)));
    EXPECT_TRUE(engine.checkMove1(engine.internal(5)));
    EXPECT_FALSE(engine.checkMove1(engine.internal(0)));
    // A king moves backwards too.
    ASSERT_TRUE(engine.fromString(positions::text({{1, KING1}, {30, KING2}})));
    EXPECT_TRUE(engine.checkMove1());
    EXPECT_TRUE(engine.checkMove2());
    ASSERT_TRUE(engine.fromString(positions::text({{1, MAN1}, {30, MAN2}})));
    EXPECT_FALSE(engine.checkMove1());
    EXPECT_FALSE(engine.checkMove2());
}

TYPED_TEST(CheckersTest, RotatingTwiceRestoresThePosition)
{
    Checkers& engine = this->engine;
    ASSERT_TRUE(engine.fromString(positions::text({{0, MAN1}, {9, KING2}, {22, MAN2}})));
    const std::string flipped = engine.toString(true);
    const auto before = cells(engine);
    engine.rotate();
    EXPECT_EQ(engine.toString(false), flipped);
    engine.rotate();
    EXPECT_EQ(cells(engine), before);
}

} // namespace
