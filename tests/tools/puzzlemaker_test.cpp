// The puzzle maker keeps a position with one winning shot, once, and not one with two.

#include "engine/proofsearch.h"
#include "game/notation.h"
#include "game/ruleset.h"
#include "tools/puzzlemaker.h"

#include <gtest/gtest.h>

namespace
{

GameRecord gameAt(const std::string& fen)
{
    const std::optional<Notation::Fen> read =
        Notation(ruleset::RUSSIAN, Colour::White).parseFen(fen);
    EXPECT_TRUE(read.has_value());
    return GameRecord(ruleset::RUSSIAN, Colour::White, read->position, 1);
}

PuzzleMaker::Settings russian()
{
    PuzzleMaker::Settings settings;
    settings.rules = ruleset::RUSSIAN;
    settings.count = 1;
    return settings;
}

} // namespace

TEST(PuzzleMaker, KeepsAShotOnceWithItsLineAndGrade)
{
    PuzzleMaker maker(russian());
    // b4-c5 leaves Black's man a single move, into c5xa3.
    const std::optional<Puzzle> kept = maker.consider(gameAt("W:Wh2,b4,d4:Ba5"));
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->fen(), "W:Wh2,b4,d4:Ba5");
    EXPECT_EQ(kept->goal(), ProofSearch::WIN);
    EXPECT_EQ(kept->plies(), 3);
    EXPECT_EQ(kept->difficulty(), Puzzle::Difficulty::EASY);
    EXPECT_EQ(kept->kind(), Puzzle::Kind::QUIET);
    EXPECT_EQ(kept->record().moveText(0), "b4-c5");
    EXPECT_TRUE(kept->record().over());
    // Met again (a transposition, another game) it is not kept twice.
    EXPECT_FALSE(maker.consider(gameAt("W:Wh2,b4,d4:Ba5")).has_value());
    EXPECT_EQ(maker.report().positions, 1);
}

TEST(PuzzleMaker, KeepsNoPositionWithTwoWinningFirstMoves)
{
    PuzzleMaker maker(russian());
    // Either capture takes Black's only piece.
    EXPECT_FALSE(maker.consider(gameAt("W:Wc3,e3:Bd4")).has_value());
    EXPECT_EQ(maker.report().candidates, 0);
}
