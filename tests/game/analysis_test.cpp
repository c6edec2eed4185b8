// Where a game was lost: blunders and mistakes found by the search, judged at their thresholds,
// and the searches handed out and fed back in the order of the game.

#include "game/analyser.h"
#include "game/analysis.h"
#include "game/pdn.h"
#include "game/ruleset.h"

#include "engine/timedsearch.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Deep enough to see a two-for-one shot, and the same on every machine.
constexpr Analyser::Limits FIXED_DEPTH{0, 10};

GameRecord gameOf(const std::string& text)
{
    Pdn::ReadResult read = Pdn::read(text, Colour::White);
    EXPECT_FALSE(read.error) << read.error->describe();
    EXPECT_EQ(read.games.size(), 1u);
    return read.games.at(0).record;
}

Analysis analysed(const std::string& text)
{
    Analysis analysis(gameOf(text));
    EXPECT_TRUE(Analyser::run(analysis, FIXED_DEPTH));
    return analysis;
}

struct BlunderCase {
    const char* name;
    const char* pdn;
    std::size_t move; // the blunder, from 0
    const char* better;
};

TEST(Analysis, BlundersAreMarkedWithTheBetterMove)
{
    const BlunderCase cases[] = {
        // c3-b4 puts the man where c5 takes it, and nothing takes back.
        {"man given away", "[GameType \"25\"]\n[FEN \"W:Wd2,h2,c3:Bc5,b6,d6\"]\n1. c3-b4 c5xa3 *",
         0, "d2-e3"},
        // g3-f4 lets d6-e5 give a man, to take two with h6xf4xd2.
        {"two-for-one shot",
         "[GameType \"25\"]\n[FEN \"W:We3,g3,g5:Ba5,d6,h6\"]\n"
         "1. g3-f4 d6-e5 2. f4xd6 h6xf4xd2 *",
         0, "g5-f6"},
    };
    for (const BlunderCase& test : cases) {
        const Analysis analysis = analysed(test.pdn);
        ASSERT_TRUE(analysis.finished()) << test.name;
        const Analysis::Verdict& blunder = analysis.verdict(test.move);
        EXPECT_EQ(blunder.mark, Analysis::Mark::BLUNDER) << test.name;
        EXPECT_EQ(blunder.best, test.better) << test.name;
        EXPECT_GE(blunder.bestValue - blunder.value, Analysis::BLUNDER) << test.name;
        for (std::size_t move = 0; move < analysis.game().moves().size(); ++move) {
            EXPECT_TRUE(analysis.verdict(move).judged) << test.name << ' ' << move;
            if (move != test.move) {
                EXPECT_EQ(analysis.verdict(move).mark, Analysis::Mark::NONE) << test.name << move;
            }
        }
    }
}

TEST(Analysis, AGameOfGoodMovesHasNoMark)
{
    const Analysis analysis = analysed("[GameType \"25\"]\n1. c3-d4 f6-g5 2. b2-c3 g7-f6 "
                                       "3. a1-b2 h8-g7 4. g3-h4 b6-a5 *");
    ASSERT_TRUE(analysis.finished());
    EXPECT_FALSE(analysis.nextMark(std::nullopt));
    EXPECT_FALSE(analysis.previousMark(std::nullopt));
}

// The forced capture of the shot is not searched: it is worth what follows it.
TEST(Analysis, ASingleLegalMoveIsNotSearched)
{
    const Analysis analysis(gameOf("[GameType \"25\"]\n[FEN \"W:We3,g3,g5:Ba5,d6,h6\"]\n"
                                   "1. g3-f4 d6-e5 2. f4xd6 h6xf4xd2 *"));
    // Plies 0 and 1 have a choice, both captures are forced, and the end of an unfinished game
    // is searched too.
    EXPECT_EQ(analysis.total(), 3u);
    EXPECT_FALSE(analysis.verdict(2).judged);
}

struct ThresholdCase {
    int best;  // what the search of the first position finds
    int reply; // what the position after the move played is worth to the other side
    Analysis::Mark mark;
};

// Values fed by hand: the move played (c3-d4) is not the one found (a3-b4).
TEST(Analysis, MarksBeginAtTheirThresholds)
{
    const int proven = TimedSearch::PROVEN;
    const ThresholdCase cases[] = {
        {20, -20 + Analysis::MISTAKE - 1, Analysis::Mark::NONE},
        {20, -20 + Analysis::MISTAKE, Analysis::Mark::MISTAKE},
        {20, -20 + Analysis::BLUNDER - 1, Analysis::Mark::MISTAKE},
        {20, -20 + Analysis::BLUNDER, Analysis::Mark::BLUNDER},
        {-30, -100, Analysis::Mark::NONE}, // the move played proved better than the one found
        {proven + 10, -proven, Analysis::Mark::BLUNDER},  // a proven win let go for a won ending
        {proven + 10, -proven - 5, Analysis::Mark::NONE}, // still winning, a little slower
    };
    const GameRecord game = gameOf("[GameType \"25\"]\n1. c3-d4 f6-g5 *");
    GameRecord other(ruleset::RUSSIAN, Colour::White);
    const std::optional<Notation::MoveText> found = other.notation().parseMove("a3-b4");
    ASSERT_TRUE(other.play(*other.legalMoves().find(found->from, {}, found->to).move));
    for (const ThresholdCase& test : cases) {
        Analysis analysis(game);
        const Analysis::Request first = *analysis.next();
        ASSERT_TRUE(analysis.feed(first, {test.best, other.position()}));
        const Analysis::Request second = *analysis.next();
        EXPECT_FALSE(analysis.feed(first, {0, {}})) << "fed twice";
        ASSERT_TRUE(analysis.feed(second, {test.reply, game.moves()[1].after}));
        const Analysis::Verdict& verdict = analysis.verdict(0);
        ASSERT_TRUE(verdict.judged);
        EXPECT_EQ(verdict.mark, test.mark) << test.best << ' ' << test.reply;
        EXPECT_EQ(verdict.value, -test.reply);
        EXPECT_EQ(verdict.best, "a3-b4");
        EXPECT_FALSE(analysis.verdict(1).judged) << "the end is not searched yet";
    }
}

} // namespace
