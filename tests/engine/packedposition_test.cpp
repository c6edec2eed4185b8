#include "support/randomgames.h"

#include "engine/packedposition.h"
#include "engine/search.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

namespace
{

TEST(PackedPosition, RoundTripsAndTurnsLikeTheBoard)
{
    RCheckers scratch;
    RCheckers engine;
    for (const std::string& text : RandomGames(scratch, 5).positions(500)) {
        ASSERT_TRUE(engine.fromString(text));
        const PackedPosition packed =
            PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
        int cells[CELLS] = {};
        packed.toCells(cells, Checkers::SQUARE_CELLS);
        for (int square = 0; square < SQUARES; ++square)
            ASSERT_EQ(cells[engine.internal(square)], engine.board[engine.internal(square)]);

        engine.rotate();
        EXPECT_EQ(packed.rotated(), PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS))
            << text;
        EXPECT_EQ(packed.rotated().rotated(), packed);
    }
}

TEST(PackedPosition, DistinguishesKingsFromMen)
{
    RCheckers engine;
    ASSERT_TRUE(
        engine.fromString("5 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 1 "));
    const PackedPosition men = PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
    ASSERT_TRUE(
        engine.fromString("4 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 2 "));
    const PackedPosition kings = PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
    EXPECT_NE(men, kings);
    EXPECT_NE(men.hash(), kings.hash());
    EXPECT_EQ(men.side2, 1u);
    EXPECT_EQ(men.side1, 1u << 31);
    EXPECT_EQ(kings.kings, (1u << 31) | 1u);
}

TEST(Search, TablesFitTheDevicesBudget)
{
    constexpr std::size_t SIXTEEN_MIB = std::size_t{16} << 20;
    EXPECT_LE(Search::tableBytes(), SIXTEEN_MIB);
}

} // namespace
