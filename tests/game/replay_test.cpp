// A past game stepped through ply by ply, its status line's parts, its marks, and a new game
// from the position shown.

#include "game/analyser.h"
#include "game/pdn.h"
#include "game/replay.h"
#include "game/ruleset.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

GameRecord gameOf(const std::string& text)
{
    Pdn::ReadResult read = Pdn::read(text, Colour::White);
    EXPECT_FALSE(read.error) << read.error->describe();
    return read.games.at(0).record;
}

// Black to move first, from a set-up position: the first row lacks White's move.
const std::string SET_UP = "[GameType \"25\"]\n[FEN \"B:Wd2,h2,c3:Bc5,b6,d6\"]\n"
                           "1... d6-e5 2. c3-b4 c5xa3 *";

TEST(Replay, StepsStopAtBothEnds)
{
    Replay replay(gameOf(SET_UP));
    const GameRecord& game = replay.game();
    EXPECT_EQ(replay.position(), game.start());
    EXPECT_EQ(replay.lastMove(), nullptr);
    EXPECT_EQ(replay.status().move, "");
    EXPECT_FALSE(replay.back());
    EXPECT_TRUE(replay.forward());
    EXPECT_EQ(replay.lastMove(), &game.moves()[0]);
    EXPECT_EQ(replay.sideToMove(), game.moves()[1].side);

    replay.toEnd();
    EXPECT_FALSE(replay.forward());
    EXPECT_EQ(replay.ply(), 3u);
    EXPECT_EQ(replay.position(), game.position());
    EXPECT_EQ(replay.sideToMove(), game.sideToMove());
    EXPECT_TRUE(replay.back());
    EXPECT_EQ(replay.position(), game.moves()[2].before);
    replay.toStart();
    EXPECT_TRUE(replay.atStart());
    replay.show(99);
    EXPECT_TRUE(replay.atEnd());
}

TEST(Replay, StatusAndRowsNumberTheMovesAsTheNotationDoes)
{
    Replay replay(gameOf(SET_UP), 1);
    Replay::Status status = replay.status();
    EXPECT_EQ(status.ply, 1u);
    EXPECT_EQ(status.plies, 3u);
    EXPECT_EQ(status.moveNumber, 1);
    EXPECT_TRUE(status.reply);
    EXPECT_EQ(status.move, "d6-e5");
    replay.forward();
    status = replay.status();
    EXPECT_EQ(status.moveNumber, 2);
    EXPECT_FALSE(status.reply);
    EXPECT_EQ(status.move, "c3-b4");
    EXPECT_EQ(status.mark, "");
    const std::vector<std::string> rows = {"1. ...  d6-e5", "2. c3-b4  c5xa3"};
    EXPECT_EQ(replay.rows(), rows);
}

TEST(Replay, MarksShowInTheRowsAndTheStatusAndAreJumpedTo)
{
    Replay replay(gameOf(SET_UP));
    EXPECT_FALSE(replay.nextMark());
    replay.startAnalysis();
    ASSERT_TRUE(Analyser::run(*replay.analysis(), {0, 10}));
    EXPECT_TRUE(replay.nextMark());
    EXPECT_EQ(replay.ply(), 2u);
    const Replay::Status status = replay.status();
    EXPECT_EQ(status.mark, "??");
    EXPECT_EQ(status.better, "d2-e3");
    EXPECT_EQ(replay.rows()[1], "2. c3-b4??  c5xa3");
    EXPECT_FALSE(replay.nextMark());
    EXPECT_FALSE(replay.previousMark());
    replay.toEnd();
    EXPECT_TRUE(replay.previousMark());
    EXPECT_EQ(replay.ply(), 2u);
}

// The person takes the side to move at the bottom of the board, whichever side it was.
TEST(Replay, PlayFromHereGivesThePersonTheSideToMove)
{
    Replay replay(gameOf(SET_UP), 2);
    for (std::size_t ply : {1, 2}) {
        replay.show(ply);
        const std::optional<GameRecord> fresh = replay.playFromHere();
        ASSERT_TRUE(fresh);
        EXPECT_EQ(fresh->sideToMove(), 1);
        EXPECT_TRUE(fresh->moves().empty());
        EXPECT_EQ(fresh->side1Colour(), replay.game().colourOf(replay.sideToMove()));
        EXPECT_EQ(fresh->rules(), ruleset::RUSSIAN);
        EXPECT_EQ(fresh->legalMoves().all().size(),
                  LegalMoves(*ruleset::makeEngine(ruleset::RUSSIAN), replay.position(),
                             replay.sideToMove())
                      .all()
                      .size());
    }
    const std::optional<GameRecord> won =
        Replay(gameOf("[GameType \"25\"]\n[FEN \"W:Wc3:Bd4\"]\n1. c3xe5 1-0"), 1).playFromHere();
    EXPECT_FALSE(won);
}

} // namespace
