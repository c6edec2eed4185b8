// Every game played added to games.pdn: each ending once, a game left once a person has moved in
// it, written as the kept game is.

#include "game/gamearchive.h"

#include "game/ruleset.h"
#include "game/savedgame.h"
#include "game/systemcalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

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

std::string contents(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// A folder of its own, removed with everything in it.
class Folder
{
public:
    Folder()
    {
        std::string name = ::testing::TempDir() + "gamearchive_XXXXXX";
        m_path = mkdtemp(name.data()) ? name : std::string();
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return m_path + '/' + name; }

private:
    std::string m_path;
};

// A disk that is full while `full` is set: every write fails with ENOSPC.
class FullDisk : public SystemCalls
{
public:
    bool full = true;

    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        if (!full)
            return SystemCalls::write(fd, data, size);
        errno = ENOSPC;
        return -1;
    }
};

// White's king on 1 takes Black's last man: a game that ends at its third move.
GameRecord shortGame()
{
    return GameRecord(ruleset::ENGLISH, Colour::White,
                      Notation(ruleset::ENGLISH, Colour::White).parseFen("W:WK1:B5")->position, 1);
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

// Games that could not be added are owed, in order, until the disk takes them: at the next change
// followed, or at the latest when the archive is closed; failed() says so meanwhile.
TEST(GameArchive, AGameThatCouldNotBeAddedIsAddedLater)
{
    const std::string date = "2026.01.02";
    for (const bool atClose : {false, true}) {
        Folder folder;
        const std::string path = folder.file("games.pdn");
        FullDisk disk;
        std::string expected;
        {
            GameArchive archive(path, disk);
            for (const char* day : {"2026.01.02", "2026.01.03"}) {
                GameRecord record = shortGame();
                archive.follow(record, false, day);
                play(record, "1-6");
                archive.follow(record, false, day);
                archive.leave(record);
                EXPECT_TRUE(archive.failed()) << day;
                expected += (expected.empty() ? "" : "\n") + SavedGame::text(record, false, day);
            }
            GameRecord next = shortGame();
            archive.follow(next, false, date);
            EXPECT_EQ(contents(path), "");
            disk.full = false;
            if (!atClose) {
                archive.follow(next, false, date);
                EXPECT_FALSE(archive.failed());
                EXPECT_EQ(contents(path), expected);
                archive.follow(next, false, date);
            }
        }
        EXPECT_EQ(contents(path), expected) << atClose;
    }
}

// A power cut after the finished game was kept and before it was added, or a full disk that
// failed its adding: at the next start it is added from the kept file, once, after the games
// already there; also when the kept file is all the archive has. If it still cannot be added,
// the kept file is set aside instead of being replaced by a new game.
TEST(GameArchive, AFinishedKeptGameMissingFromTheArchiveIsAddedAtStart)
{
    const std::string date = "2026.01.02";
    for (const bool earlierGame : {false, true}) {
        Folder folder;
        const std::string kept = folder.file("checkers.pdn");
        const std::string path = GameArchive::besideFile(kept);
        const SavedGame saved(kept);
        GameRecord record = shortGame();
        if (earlierGame)
            std::ofstream(path) << SavedGame::text(record, false, date);
        std::string finishedText;
        {
            FullDisk disk;
            GameArchive archive(path, disk);
            archive.follow(record, false, date);
            for (const char* move : {"1-6", "5-9", "6x13"}) {
                play(record, move);
                ASSERT_TRUE(saved.save(record, false, date));
                archive.follow(record, false, date);
            }
            ASSERT_TRUE(record.over());
            EXPECT_TRUE(archive.failed());
            finishedText = SavedGame::text(record, false, date);
        }
        const std::string before = contents(path);
        const std::string expected = before + (before.empty() ? "" : "\n") + finishedText;
        for (int start = 0; start < 2; ++start) {
            EXPECT_FALSE(saved.load(ruleset::ENGLISH).has_value());
            EXPECT_EQ(contents(path), expected) << earlierGame << start;
            EXPECT_EQ(contents(kept), finishedText);
        }
    }

    Folder folder;
    const std::string kept = folder.file("checkers.pdn");
    std::filesystem::create_directory(GameArchive::besideFile(kept));
    GameRecord record = shortGame();
    for (const char* move : {"1-6", "5-9", "6x13"})
        play(record, move);
    const std::string finishedText = SavedGame::text(record, false, date);
    std::ofstream(kept) << finishedText;
    EXPECT_FALSE(SavedGame(kept).load(ruleset::ENGLISH).has_value());
    EXPECT_FALSE(std::filesystem::exists(kept));
    EXPECT_EQ(contents(kept + ".bad"), finishedText);
}

// The archive's end compared with the kept game: a copy cut short is no copy, and a game that
// could not be added is left to the caller, not owed.
TEST(GameArchive, AddUnlessLastComparesTheWholeGame)
{
    Folder folder;
    const std::string path = folder.file("games.pdn");
    const std::string game(3 * 4096 + 5, 'x'); // longer than the archive's end read at once
    const struct {
        std::string archive;
        bool diskFull;
        bool there;
        std::string after;
    } cases[] = {
        {"", false, true, game},
        {game, false, true, game},
        {'y' + game.substr(1), false, true, 'y' + game.substr(1) + '\n' + game},
        {game.substr(1), false, true, game.substr(1) + '\n' + game},
        {game.substr(0, game.size() - 1), true, false, game.substr(0, game.size() - 1)},
        {"fifo", false, false, ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        // A pipe in the archive's place is neither read nor written, and keeps nobody waiting.
        if (c.archive == "fifo") {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        } else {
            std::ofstream(path) << c.archive;
        }
        FullDisk disk;
        disk.full = c.diskFull;
        GameArchive archive(path, disk);
        EXPECT_EQ(archive.addUnlessLast(game), c.there) << c.archive.size();
        EXPECT_FALSE(archive.failed());
        if (c.archive != "fifo") {
            EXPECT_EQ(contents(path), c.after) << c.archive.size();
        }
    }
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
