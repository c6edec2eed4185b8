// The game kept beside the program: who plays which colour survives the round trip, and a file
// that is not one of our unfinished games is either replaced or set aside.

#include "game/savedgame.h"

#include "game/ruleset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{

// A file name of its own for each test, removed with its ".bad" when the test ends.
class ScratchFile
{
public:
    ScratchFile()
    {
        std::string name = ::testing::TempDir() + "savedgame_XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd >= 0)
            close(fd);
        m_path = name;
        std::remove(m_path.c_str());
    }
    ~ScratchFile()
    {
        std::remove(m_path.c_str());
        std::remove(bad().c_str());
    }
    const std::string& path() const { return m_path; }
    std::string bad() const { return m_path + ".bad"; }

private:
    std::string m_path;
};

bool exists(const std::string& path)
{
    return std::ifstream(path).good();
}

std::string contents(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void write(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// A game a few moves in: each side plays its first legal move.
GameRecord playedGame(int rules, Colour side1Colour, int plies)
{
    GameRecord record(rules, side1Colour);
    for (int ply = 0; ply < plies; ++ply) {
        const LegalMoves moves = record.legalMoves();
        EXPECT_FALSE(moves.empty());
        if (moves.empty())
            break;
        EXPECT_TRUE(record.play(moves.all().front()));
    }
    return record;
}

struct Players {
    const char* name;
    int rules;
    Colour side1;
    bool secondHuman;
    const char* whiteTag;
    const char* blackTag;
};

const Players PLAYERS[] = {
    {"RussianPersonWhite", ruleset::RUSSIAN, Colour::White, false, "[White \"Player\"]",
     "[Black \"Computer\"]"},
    {"RussianPersonBlack", ruleset::RUSSIAN, Colour::Black, false, "[White \"Computer\"]",
     "[Black \"Player\"]"},
    {"EnglishPersonBlackTwoPeople", ruleset::ENGLISH, Colour::Black, true,
     "[White \"Second player\"]", "[Black \"Player\"]"},
    {"EnglishPersonWhite", ruleset::ENGLISH, Colour::White, false, "[White \"Player\"]",
     "[Black \"Computer\"]"},
};

class SavedGamePlayers : public ::testing::TestWithParam<Players>
{
};

} // namespace

TEST_P(SavedGamePlayers, ComeBackWithTheGame)
{
    const Players& players = GetParam();
    ScratchFile file;
    const SavedGame saved(file.path());
    const GameRecord record = playedGame(players.rules, players.side1, 3);
    ASSERT_TRUE(saved.save(record, players.secondHuman, "2026.12.08"));
    const std::string text = contents(file.path());
    EXPECT_NE(text.find(players.whiteTag), std::string::npos) << text;
    EXPECT_NE(text.find(players.blackTag), std::string::npos) << text;

    const std::optional<SavedGame::Game> game = saved.load(players.rules);
    ASSERT_TRUE(game.has_value());
    EXPECT_EQ(game->record.side1Colour(), players.side1);
    EXPECT_EQ(game->secondHuman, players.secondHuman);
    EXPECT_EQ(game->date, "2026.12.08");
    EXPECT_EQ(game->record.moves().size(), record.moves().size());
    EXPECT_EQ(game->record.position(), record.position());
    EXPECT_EQ(game->record.sideToMove(), record.sideToMove());
    EXPECT_EQ(game->record.engineUndoList(), record.engineUndoList());
    EXPECT_FALSE(exists(file.bad()));
}

INSTANTIATE_TEST_SUITE_P(, SavedGamePlayers, ::testing::ValuesIn(PLAYERS),
                         [](const ::testing::TestParamInfo<Players>& info) {
                             return std::string(info.param.name);
                         });

TEST(SavedGame, MissingFileGivesNothing)
{
    ScratchFile file;
    EXPECT_FALSE(SavedGame(file.path()).load(ruleset::RUSSIAN).has_value());
    EXPECT_FALSE(exists(file.bad()));
}

TEST(SavedGame, OtherRulesOrFinishedGameIsLeftToBeReplaced)
{
    ScratchFile file;
    const SavedGame saved(file.path());
    ASSERT_TRUE(saved.save(playedGame(ruleset::ENGLISH, Colour::Black, 2), false, ""));
    EXPECT_FALSE(saved.load(ruleset::RUSSIAN).has_value());
    EXPECT_FALSE(exists(file.bad()));

    // Side 1's man on 21 takes side 2's last man on 17.
    Position position{};
    position.fill(FREE);
    position[21] = MAN1;
    position[17] = MAN2;
    GameRecord finished(ruleset::ENGLISH, Colour::Black, position, 1);
    ASSERT_TRUE(finished.play(finished.legalMoves().all().front()));
    ASSERT_TRUE(finished.over());
    ASSERT_TRUE(saved.save(finished, false, ""));
    EXPECT_FALSE(saved.load(ruleset::ENGLISH).has_value());
    EXPECT_FALSE(exists(file.bad()));
    EXPECT_TRUE(exists(file.path()));
}

TEST(SavedGame, GameOfStrangePlayersIsSetAside)
{
    ScratchFile file;
    const SavedGame saved(file.path());
    ASSERT_TRUE(saved.save(playedGame(ruleset::RUSSIAN, Colour::White, 2), false, ""));
    std::string text = contents(file.path());
    const std::string person = "\"Player\"";
    text.replace(text.find(person), person.size(), "\"Somebody\"");
    write(file.path(), text);

    EXPECT_FALSE(saved.load(ruleset::RUSSIAN).has_value());
    EXPECT_FALSE(exists(file.path()));
    EXPECT_EQ(contents(file.bad()), text);
}

TEST(SavedGame, TwoGamesAreNotOurs)
{
    ScratchFile file;
    const SavedGame saved(file.path());
    ASSERT_TRUE(saved.save(playedGame(ruleset::RUSSIAN, Colour::White, 2), false, ""));
    const std::string one = contents(file.path());
    write(file.path(), one + "\n" + one);
    EXPECT_FALSE(saved.load(ruleset::RUSSIAN).has_value());
    EXPECT_TRUE(exists(file.bad()));
}
