// The games list: one pass over games.pdn and a folder of collections, a row per game, and each
// game read alone from where the list says it begins.

#include "game/gamelist.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

const std::string TAGS = "[Event \"Checkers\"]\n[Date \"2026.12.09\"]\n[White \"Player\"]\n"
                         "[Black \"Computer (Master)\"]\n";

std::string game(const std::string& moves, const std::string& gameType = "25")
{
    return TAGS + "[GameType \"" + gameType + "\"]\n\n" + moves + "\n";
}

const std::string WON = game("1. c3-d4 f6-e5 2. d4xf6 g7xe5 1-0");
const std::string ONGOING = game("1. e3-f4 *");
const std::string BAD_MOVE = game("1. c3-d4 f6-g5 2. d4-d5 *");
const std::string UNKNOWN_RULES = game("1. c3-d4 *", "23");

// A folder of its own under the test's temporary folder, removed with what it holds.
class Folder
{
public:
    Folder()
    {
        m_path = ::testing::TempDir() + "gamelist_test_XXXXXX";
        EXPECT_NE(mkdtemp(m_path.data()), nullptr);
    }
    ~Folder()
    {
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        rmdir(m_path.c_str());
    }
    std::string add(const std::string& name, const std::string& text)
    {
        const std::string file = m_path + '/' + name;
        std::ofstream(file, std::ios::binary) << text;
        m_files.push_back(file);
        return file;
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

struct Row {
    int plies;
    const char* result;
    const char* problem; // the start of the reason, "" when readable
};

struct ListCase {
    const char* name;
    std::string text;
    std::vector<Row> rows; // newest first
};

TEST(GameList, ListsEachGameOfTheArchiveNewestFirstWithItsFault)
{
    const ListCase cases[] = {
        {"empty", "", {}},
        {"blank", "\n\n  \n", {}},
        {"torn last game",
         WON + "\n" + ONGOING + "\n" + TAGS + "[GameType \"25\"]\n\n1. c3-d4 f6-g5 2.",
         {{2, "", "the game is cut short: the text ends"}, {1, "*", ""}, {4, "1-0", ""}}},
        {"torn by the next game",
         TAGS + "[GameType \"25\"]\n\n1. c3-d4 f6-g5\n" + ONGOING,
         {{1, "*", ""}, {2, "", "the game is cut short: the next game begins"}}},
        {"unknown GameType",
         WON + "\n" + UNKNOWN_RULES + "\n" + ONGOING,
         {{1, "*", ""}, {1, "*", "GameType must be 21"}, {4, "1-0", ""}}},
    };
    for (const ListCase& test : cases) {
        Folder folder;
        GameList list = GameList::build(folder.add("games.pdn", test.text), "");
        EXPECT_TRUE(list.problems().empty()) << test.name;
        ASSERT_EQ(list.size(), test.rows.size()) << test.name;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const GameList::Entry entry = list.entry(i);
            EXPECT_EQ(entry.plies, test.rows[i].plies) << test.name << ' ' << i;
            EXPECT_EQ(entry.result, test.rows[i].result) << test.name << ' ' << i;
            EXPECT_EQ(entry.problem.rfind(test.rows[i].problem, 0), 0u)
                << test.name << ' ' << i << ": " << entry.problem;
            EXPECT_EQ(entry.white, "Player");
            EXPECT_EQ(entry.black, "Computer (Master)");
            // The list's verdict holds when the game is read alone from its offset.
            const GameList::Opened opened = list.open(i);
            EXPECT_EQ(opened.game.has_value(), entry.readable()) << test.name << ' ' << i;
            if (opened.game) {
                EXPECT_EQ(opened.game->record.moves().size(), std::size_t(entry.plies));
            }
        }
    }
}

// A move the rules refuse is found when the game is read, and the games after it still open.
TEST(GameList, AGameWithABadMoveIsMarkedWhenChecked)
{
    Folder folder;
    GameList list = GameList::build(folder.add("games.pdn", WON + BAD_MOVE + ONGOING), "");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(list.check(0));
    EXPECT_FALSE(list.check(1));
    EXPECT_EQ(list.entry(1).problem, "move 2 \"d4-d5\": not a move");
    EXPECT_TRUE(list.entry(1).checked);
    const GameList::Opened won = list.open(2);
    ASSERT_TRUE(won.game);
    EXPECT_EQ(won.game->record.moves().size(), 4u);
    EXPECT_EQ(won.game->tags.at("Black"), "Computer (Master)");
}

TEST(GameList, TheFolderIsListedByFileThenGameAfterTheArchive)
{
    Folder archive;
    Folder collections;
    collections.add("b.pdn", ONGOING + WON);
    collections.add("a.pdn", WON);
    collections.add("notes.txt", ONGOING);
    const GameList list =
        GameList::build(archive.add("games.pdn", WON + ONGOING), collections.path());
    ASSERT_EQ(list.size(), 5u);
    const std::vector<std::string> files = {"games.pdn", "games.pdn", "a.pdn", "b.pdn", "b.pdn"};
    const std::vector<int> plies = {1, 4, 4, 1, 4};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& file = list.files()[list.entry(i).file];
        EXPECT_EQ(file.substr(file.rfind('/') + 1), files[i]) << i;
        EXPECT_EQ(list.entry(i).plies, plies[i]) << i;
    }
}

// A row keeps a bounded part of each tag, however long the tag, and the game still opens whole.
TEST(GameList, ALongTagIsCutInTheRowOnly)
{
    Folder folder;
    const std::string name(Pdn::MAX_TAG_VALUE, 'n');
    GameList list = GameList::build(
        folder.add("games.pdn", "[White \"" + name + "\"]\n[GameType \"25\"]\n1. c3-d4 *\n"), "");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.entry(0).white, name.substr(0, GameList::MAX_FIELD));
    const GameList::Opened opened = list.open(0);
    ASSERT_TRUE(opened.game) << opened.problem;
    EXPECT_EQ(opened.game->tags.at("White"), name);
}

TEST(GameList, AMissingArchiveListsNothingAndAFolderInItsPlaceIsReported)
{
    Folder folder;
    EXPECT_EQ(GameList::build(folder.path() + "/games.pdn", folder.path() + "/games").size(), 0u);
    const GameList list = GameList::build(folder.path(), "");
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.problems().size(), 1u);
}

} // namespace
