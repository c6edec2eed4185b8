// Every game played added to games.pdn: each ending once, a game left only when a person moved
// in it, written as the kept game is, and a failure reported until an addition succeeds.

#include "game/gamearchive.h"

#include "game/pdn.h"
#include "game/ruleset.h"
#include "game/savedgame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;
const std::string DATE = "2026.01.02";

// A folder of its own for each test, removed with everything in it.
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
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return m_path + '/' + name; }

private:
    std::string m_path;
};

std::string contents(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// White's man on 18 takes Black's last man: one move ends the game.
GameRecord oneMoveFromTheEnd()
{
    const Notation notation(ruleset::ENGLISH, Colour::White);
    return GameRecord(ruleset::ENGLISH, Colour::White, notation.parseFen("W:W18:B14")->position, 1);
}

// White's king on 1 and Black's last man on 5: after 1-6 5-9 the king takes it.
GameRecord kingAboveALastMan()
{
    const Notation notation(ruleset::ENGLISH, Colour::White);
    return GameRecord(ruleset::ENGLISH, Colour::White, notation.parseFen("W:WK1:B5")->position, 1);
}

// Plays the first legal move that ends the game, or the first that does not.
void playMoveThatEnds(GameRecord& record, bool ends)
{
    for (const GameMove& move : record.legalMoves().all()) {
        GameRecord trial = record;
        ASSERT_TRUE(trial.play(move));
        if (trial.over() == ends) {
            record = trial;
            return;
        }
    }
    FAIL() << "no such move";
}

void playFirstMove(GameRecord& record)
{
    const GameMove move = record.legalMoves().all().at(0);
    ASSERT_TRUE(record.play(move));
}

} // namespace

// A game resumed finished was added when it ended; from then on each ending is added once, also
// when the game is followed again while over, and left.
TEST(GameArchive, EachEndingIsAddedOnce)
{
    Folder folder;
    const std::string path = folder.file("games.pdn");
    GameArchive archive(path);
    GameRecord record = oneMoveFromTheEnd();
    playFirstMove(record);
    ASSERT_TRUE(record.over());
    archive.follow(record, false, DATE);
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(record.undo());
    archive.follow(record, false, DATE);
    playFirstMove(record);
    archive.follow(record, false, DATE);
    const std::string won = SavedGame::text(record, false, DATE);
    EXPECT_EQ(contents(path), won);
    archive.follow(record, false, DATE);
    EXPECT_EQ(contents(path), won);

    // Taken back and ended again, the game was played again.
    ASSERT_TRUE(record.undo());
    archive.follow(record, false, DATE);
    playFirstMove(record);
    archive.follow(record, false, DATE);
    archive.leave(record);
    EXPECT_EQ(contents(path), won + '\n' + won);
    EXPECT_FALSE(archive.failed());
    const Pdn::ReadResult read = Pdn::read(contents(path), Colour::White);
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.games.size(), 2u);
}

// A game left unfinished is added, with the result "*" and the players it was followed with,
// once a person has moved in it: the computer's opening move alone is no one's game.
TEST(GameArchive, AGameLeftIsAddedOnceAPersonHasMoved)
{
    const struct {
        Colour side1;
        bool secondHuman;
        int plies;
        const char* side2; // who plays side 2 in the game added; null: nothing added
    } cases[] = {
        {Colour::White, false, 0, nullptr},
        {Colour::Black, false, 1, nullptr}, // the computer's opening
        {Colour::Black, false, 2, SavedGame::COMPUTER},
        {Colour::White, false, 1, SavedGame::COMPUTER}, // the reply is still to come
        {Colour::Black, true, 1, SavedGame::SECOND_PERSON},
    };
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder.file("games.pdn");
        GameArchive archive(path);
        GameRecord record(ruleset::RUSSIAN, c.side1);
        archive.follow(record, c.secondHuman, DATE);
        for (int ply = 0; ply < c.plies; ++ply) {
            playFirstMove(record);
            archive.follow(record, c.secondHuman, DATE);
        }
        archive.leave(record);
        if (!c.side2) {
            EXPECT_FALSE(fs::exists(path)) << c.plies;
            continue;
        }
        const std::string text = contents(path);
        EXPECT_EQ(text, SavedGame::text(record, c.secondHuman, DATE)) << c.plies;
        EXPECT_NE(text.find("[Result \"*\"]"), std::string::npos);
        const std::string side2Tag = c.side1 == Colour::White ? "[Black \"" : "[White \"";
        EXPECT_NE(text.find(side2Tag + c.side2 + "\"]"), std::string::npos) << text;
        // Followed afresh, the next game is not the one left.
        archive.leave(record);
        EXPECT_EQ(contents(path), text);
    }
}

// An ended game taken back and left is there already, unless a move was played after the undo.
TEST(GameArchive, AnEndingTakenBackIsLeftUnaddedUnlessPlayedOn)
{
    Folder folder;
    const std::string path = folder.file("games.pdn");
    GameArchive archive(path);
    for (const bool playedOn : {false, true}) {
        GameRecord record = kingAboveALastMan();
        archive.follow(record, false, DATE);
        for (const bool ends : {false, false, true}) {
            playMoveThatEnds(record, ends);
            archive.follow(record, false, DATE);
        }
        ASSERT_TRUE(record.over());
        ASSERT_TRUE(record.undo());
        archive.follow(record, false, DATE);
        if (playedOn) {
            ASSERT_TRUE(record.undo());
            archive.follow(record, false, DATE);
            playMoveThatEnds(record, false);
            archive.follow(record, false, DATE);
        }
        ASSERT_FALSE(record.moves().empty());
        archive.leave(record);
    }
    const Pdn::ReadResult read = Pdn::read(contents(path), Colour::White);
    ASSERT_FALSE(read.error);
    ASSERT_EQ(read.games.size(), 3u);
    EXPECT_EQ(read.games[1].record.result(), GameResult::WHITE_WINS);
    EXPECT_EQ(read.games[2].record.moves().size(), 1u);
    EXPECT_EQ(read.games[2].tags.at("Result"), "*");
}

// A failed addition is said on standard error and stands until one succeeds.
TEST(GameArchive, AFailedAdditionIsReportedUntilOneSucceeds)
{
    Folder folder;
    const std::string path = folder.file("games.pdn");
    ASSERT_TRUE(fs::create_directory(path));
    GameArchive archive(path);
    GameRecord record = oneMoveFromTheEnd();
    archive.follow(record, false, DATE);
    playFirstMove(record);
    testing::internal::CaptureStderr();
    archive.follow(record, false, DATE);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(archive.failed());
    EXPECT_EQ(said.rfind("checkers: the game could not be added to " + path + ": ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

    fs::remove(path);
    ASSERT_TRUE(record.undo());
    archive.follow(record, false, DATE);
    playFirstMove(record);
    archive.follow(record, false, DATE);
    EXPECT_FALSE(archive.failed());
    EXPECT_EQ(contents(path), SavedGame::text(record, false, DATE));
}

TEST(GameArchive, LiesBesideTheKeptGame)
{
    EXPECT_EQ(GameArchive::besideFile("/opt/checkers/checkers.pdn"), "/opt/checkers/games.pdn");
    EXPECT_EQ(GameArchive::besideFile("/checkers.pdn"), "/games.pdn");
    EXPECT_EQ(GameArchive::besideFile("checkers.pdn"), "games.pdn");
}
