// The game kept beside the program: who plays which colour survives the round trip, and a file
// that is not one of our unfinished games is either replaced or set aside.

#include "game/savedgame.h"

#include "game/ruleset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <sys/time.h>
#include <unistd.h>

namespace
{

// Allocations left until one fails with std::bad_alloc; negative: none fails. Only the test
// that arms it touches it, around the call it tries.
long g_allocationsLeft = -1;

void* allocate(std::size_t size)
{
    if (g_allocationsLeft > 0 && --g_allocationsLeft == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

} // namespace

// Every allocation of the test program by new passes here, so that a test can make any one of
// them fail; the forms the game uses are replaced with the releases that pair with them (the
// array forms of the library end in these).
void* operator new(std::size_t size)
{
    return allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The compiler takes `new` for its own and warns of free(); both are ours here.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace
{

// A file name in a folder of its own for each test (a finished game adds itself to games.pdn
// beside it), removed with everything in it when the test ends.
class ScratchFile
{
public:
    ScratchFile()
    {
        std::string name = ::testing::TempDir() + "savedgame_XXXXXX";
        m_folder = mkdtemp(name.data()) ? name : std::string();
        m_path = m_folder + "/checkers.pdn";
    }
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const std::string& path() const { return m_path; }
    std::string bad() const { return m_path + ".bad"; }

private:
    std::string m_folder;
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

// A game the rules leave open is finished all the same when its Result tag says so: it is not
// resumed, and not set aside either.
TEST(SavedGame, ResultTagEndsTheGame)
{
    ScratchFile file;
    const SavedGame saved(file.path());
    ASSERT_TRUE(saved.save(playedGame(ruleset::RUSSIAN, Colour::White, 2), false, ""));
    std::string text = contents(file.path());
    const std::string open = "[Result \"*\"]";
    text.replace(text.find(open), open.size(), "[Result \"1-0\"]");
    write(file.path(), text);
    EXPECT_FALSE(saved.load(ruleset::RUSSIAN).has_value());
    EXPECT_EQ(contents(file.path()), text);
    EXPECT_FALSE(exists(file.bad()));
}

// Reading the kept game at start-up removes the temporary an interrupted save left.
TEST(SavedGame, LoadRemovesWhatAnInterruptedSaveLeft)
{
    ScratchFile file;
    const std::string leftover = file.path() + ".saving-Ab3xYz";
    write(leftover, "[Event");
    const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    ASSERT_EQ(utimes(leftover.c_str(), old), 0);
    EXPECT_FALSE(SavedGame(file.path()).load(ruleset::RUSSIAN).has_value());
    EXPECT_FALSE(exists(leftover));
}

// Whichever allocation fails while the game is read or kept, the program goes on: the record is
// set aside whole, or the save is reported failed and the old record stays.
TEST(SavedGame, RunningOutOfMemoryIsNoCrash)
{
    ScratchFile file;
    const SavedGame saved(file.path());
    const GameRecord record = playedGame(ruleset::RUSSIAN, Colour::White, 4);
    ASSERT_TRUE(saved.save(record, false, ""));
    const std::string text = contents(file.path());
    std::cerr.setstate(std::ios::badbit); // hundreds of reports, none of interest here
    for (long failing = 1;; ++failing) {
        write(file.path(), text);
        std::remove(file.bad().c_str());
        g_allocationsLeft = failing;
        const std::optional<SavedGame::Game> game = saved.load(ruleset::RUSSIAN);
        const bool failed = g_allocationsLeft == 0;
        g_allocationsLeft = -1;
        if (!failed) {
            EXPECT_TRUE(game.has_value());
            break;
        }
        EXPECT_FALSE(game.has_value()) << failing;
        EXPECT_EQ(contents(file.bad()), text) << failing;
    }
    const GameRecord shorter = playedGame(ruleset::RUSSIAN, Colour::White, 2);
    for (long failing = 1;; ++failing) {
        g_allocationsLeft = failing;
        const bool kept = saved.save(shorter, false, "");
        const bool failed = g_allocationsLeft == 0;
        g_allocationsLeft = -1;
        if (!failed) {
            EXPECT_TRUE(kept);
            break;
        }
        EXPECT_FALSE(kept) << failing;
        EXPECT_EQ(contents(file.path()), text) << failing;
    }
    std::cerr.clear();
}
