// Every game played added to games.pdn: each ending once, a game left once a person has moved in
// it, written as the kept game is.

#include "game/gamearchive.h"

#include "game/ruleset.h"
#include "game/savedgame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

void play(GameRecord& record, const char* text)
{
    const std::optional<Notation::MoveText> move = record.notation().parseMove(text);
    ASSERT_TRUE(move) << text;
    const LegalMoves::Choice choice =
        record.legalMoves().find(move->from, move->landings, move->to, true);
    ASSERT_TRUE(choice.move) << text;
    ASSERT_TRUE(record.play(*choice.move));
}

} // namespace

// White's king on 1 takes Black's last man after 1-6 5-9 6x13. The ending is added once, also
// when followed again (its box shown again) and left (a new game after it); taken back and ended
// again, it is added again; resumed ended, it was added then; taken back and left unplayed it is
// there already; played on after the undo and left, it is added with "*". In a game of two
// people, a move of side 2 is a person's too.
TEST(GameArchive, EachEndingOnceAndEachGameLeftAfterAPersonsMove)
{
    const std::string path = ::testing::TempDir() + "gamearchive_test.pdn";
    std::remove(path.c_str());
    const std::string date = "2026.01.02";
    GameArchive archive(path);
    GameRecord record(ruleset::ENGLISH, Colour::White,
                      Notation(ruleset::ENGLISH, Colour::White).parseFen("W:WK1:B5")->position, 1);
    // A move played, or none ("": the game followed again as it stands).
    const auto follow = [&](const char* move) {
        if (*move)
            play(record, move);
        archive.follow(record, false, date);
    };
    const auto undo = [&] {
        ASSERT_TRUE(record.undo());
        follow("");
    };
    for (const char* move : {"", "1-6", "5-9", "6x13", ""})
        follow(move);
    const std::string ended = SavedGame::text(record, false, date);
    undo();
    follow("6x13");
    archive.leave(record);
    follow("");
    undo();
    archive.leave(record);
    follow("6x13");
    undo();
    undo();
    follow("1-6");
    archive.leave(record);
    std::string expected = ended + '\n' + ended + '\n' + SavedGame::text(record, false, date);

    GameRecord twoPeople(ruleset::RUSSIAN, Colour::Black);
    archive.follow(twoPeople, true, date);
    play(twoPeople, "c3-d4");
    archive.leave(twoPeople);
    expected += '\n' + SavedGame::text(twoPeople, true, date);
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    EXPECT_EQ(text.str(), expected);
}

// An ending taken back and redone is the game already added, not another.
TEST(GameArchive, EndingRedoneIsNotAddedAgain)
{
    const std::string path = ::testing::TempDir() + "gamearchive_redo_test.pdn";
    std::remove(path.c_str());
    const std::string date = "2026.01.02";
    GameArchive archive(path);
    GameRecord record(ruleset::ENGLISH, Colour::White,
                      Notation(ruleset::ENGLISH, Colour::White).parseFen("W:WK1:B5")->position, 1);
    archive.follow(record, false, date);
    for (const char* move : {"1-6", "5-9", "6x13"}) {
        play(record, move);
        archive.follow(record, false, date);
    }
    const std::string ended = SavedGame::text(record, false, date);
    ASSERT_TRUE(record.undo());
    archive.follow(record, false, date);
    ASSERT_TRUE(record.redo());
    archive.follow(record, false, date);
    archive.leave(record);
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    EXPECT_EQ(text.str(), ended);
}
