// The proof search: what a puzzle is, decided the same however small its table.

#include "engine/proofsearch.h"
#include "game/notation.h"
#include "game/puzzle.h"
#include "game/ruleset.h"

#include <gtest/gtest.h>

namespace
{

// The position of a FEN with its side to move as the packed position's side 2.
PackedPosition packed(int rules, const std::string& fen)
{
    const Colour toMove = fen[0] == 'B' ? Colour::Black : Colour::White;
    const std::optional<Notation::Fen> read = Notation(rules, toMove).parseFen(fen);
    EXPECT_TRUE(read.has_value()) << fen;
    return Puzzle::packed(read ? read->position : Position{}, 1);
}

// Russian: b4-c5 leaves Black's man a5 a single move, a5-b4, which c5xa3 takes with Black's
// last piece. Any other move lets Black's man run or be exchanged.
constexpr char ONE_SHOT[] = "W:Wh2,b4,d4:Ba5";
// Both captures take Black's only piece: two first moves win, so it is no puzzle.
constexpr char TWO_SHOTS[] = "W:Wc3,e3:Bd4";
// A king ending where each judgement searches millions of positions.
constexpr char KINGS[] = "W:Wa1,Kb8,Ke1:BKh4";

} // namespace

TEST(ProofSearch, JudgesPuzzlesByTheirWinningFirstMoves)
{
    struct Case {
        const char* fen;
        bool puzzle;
        int winners;
    };
    const Case cases[] = {
        {ONE_SHOT, true, 1},
        {TWO_SHOTS, false, 2},
        // A single legal move, however good, is nothing to find.
        {"W:Wc1,e3:Bd4,f6,b6", false, 0},
    };
    for (const Case& c : cases) {
        ProofSearch search(MoveGenerator::Rules::RUSSIAN);
        const ProofSearch::Verdict verdict =
            search.judge(packed(ruleset::RUSSIAN, c.fen), ProofSearch::PROOF_PLIES);
        EXPECT_EQ(verdict.puzzle, c.puzzle) << c.fen;
        EXPECT_EQ(verdict.winners, c.winners) << c.fen;
    }
}

TEST(ProofSearch, FindsTheShotItsLengthAndLine)
{
    ProofSearch search(MoveGenerator::Rules::RUSSIAN);
    const PackedPosition start = packed(ruleset::RUSSIAN, ONE_SHOT);
    const ProofSearch::Verdict verdict = search.judge(start, ProofSearch::PROOF_PLIES);
    ASSERT_TRUE(verdict.puzzle);
    EXPECT_EQ(verdict.gain, ProofSearch::WIN);
    const Notation notation(ruleset::RUSSIAN, Colour::White);
    const Position after = Puzzle::unpacked(verdict.reply, 2);
    EXPECT_EQ(after[notation.square("c5")], MAN1);
    EXPECT_EQ(after[notation.square("b4")], FREE);
    // The move and the forced reply; the capture that ends the game follows past the horizon.
    EXPECT_EQ(
        search.solutionLength(start, verdict.reply, ProofSearch::PROOF_PLIES, ProofSearch::WIN), 2);
    const std::vector<PackedPosition> line = search.line(start, verdict.reply, 2, ProofSearch::WIN);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_EQ(line.back().side2, 0u) << "Black has nothing left";
}

// The table only speeds the search: a table of sixteen entries, where everything collides,
// decides as a large one does; a budget too small to decide leaves the position undecided.
TEST(ProofSearch, DecidesAlikeWithAnyTableAndStopsAtItsBudget)
{
    const PackedPosition start = packed(ruleset::RUSSIAN, ONE_SHOT);
    ProofSearch tiny(MoveGenerator::Rules::RUSSIAN, 4);
    ProofSearch large(MoveGenerator::Rules::RUSSIAN);
    const ProofSearch::Verdict a = tiny.judge(start, ProofSearch::PROOF_PLIES);
    const ProofSearch::Verdict b = large.judge(start, ProofSearch::PROOF_PLIES);
    EXPECT_EQ(a.puzzle, b.puzzle);
    EXPECT_EQ(a.reply, b.reply);
    EXPECT_EQ(a.gain, b.gain);

    ProofSearch starved(MoveGenerator::Rules::RUSSIAN);
    starved.setBudget(100000);
    const ProofSearch::Verdict cut = starved.judge(packed(ruleset::RUSSIAN, KINGS), 9);
    EXPECT_TRUE(cut.exhausted);
    EXPECT_FALSE(cut.puzzle);
    // The budget is per judgement, and a search cut short leaves nothing wrong in the table.
    EXPECT_TRUE(starved.judge(start, ProofSearch::PROOF_PLIES).puzzle);
}

// Material in half men: a man 2, a king 3 (English) or 5 (Russian, a flying king).
TEST(ProofSearch, CountsKingsAboveMen)
{
    const PackedPosition position = packed(ruleset::RUSSIAN, "W:Wa1,Kb8:Bc7,e7,g7");
    EXPECT_EQ(ProofSearch(MoveGenerator::Rules::RUSSIAN).material(position), 2 + 5 - 6);
    EXPECT_EQ(ProofSearch(MoveGenerator::Rules::ENGLISH).material(position), 2 + 3 - 6);
}
