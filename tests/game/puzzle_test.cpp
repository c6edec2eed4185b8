// Puzzles as the game offers them: read from PDN and proved, solved move by move against the
// computer's defence, listed in order, and the progress kept through a failed write.

#include "engine/proofsearch.h"
#include "game/atomicfile.h"
#include "game/notation.h"
#include "game/pdn.h"
#include "game/puzzle.h"
#include "game/puzzlebook.h"
#include "game/puzzleprogress.h"
#include "game/puzzlesession.h"
#include "game/ruleset.h"
#include "game/systemcalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{

// b4-c5 leaves Black's man a single move, a5-b4, and c5xa3 takes Black's last piece.
constexpr char SHOT[] = R"([Event "Puzzle 1"]
[Result "1-0"]
[GameType "25"]
[SetUp "1"]
[FEN "W:Wh2,b4,d4:Ba5"]
[Goal "win"]
[Plies "3"]
[Difficulty "easy"]

1. b4-c5 a5-b4 2. c5xa3 1-0
)";

std::vector<Pdn::Game> readGames(const std::string& text)
{
    std::vector<Pdn::Game> games;
    std::istringstream in(text);
    const std::optional<Pdn::Error> error =
        Pdn::read(in, Puzzle::fenColour, [&games](Pdn::Game& game) {
            games.push_back(std::move(game));
            return true;
        });
    EXPECT_FALSE(error.has_value()) << (error ? error->describe() : "");
    return games;
}

Puzzle puzzleOf(const std::string& text)
{
    const std::vector<Pdn::Game> games = readGames(text);
    EXPECT_EQ(games.size(), 1u);
    std::string why;
    std::optional<Puzzle> puzzle = Puzzle::fromGame(games.at(0), &why);
    EXPECT_TRUE(puzzle.has_value()) << why;
    return *puzzle;
}

const GameMove& legalMove(const GameRecord& record, const std::string& text)
{
    for (std::size_t i = 0; i < record.legalMoves().all().size(); ++i) {
        const GameMove& move = record.legalMoves().all()[i];
        if (record.notation().moveText(move, false) == text)
            return move;
    }
    ADD_FAILURE() << "no legal move " << text;
    return record.legalMoves().all().front();
}

std::string tempDir()
{
    std::string dir = ::testing::TempDir() + "puzzle_test_XXXXXX";
    EXPECT_NE(mkdtemp(dir.data()), nullptr);
    return dir;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Fails every rename: a save that cannot replace the file.
class FailingRename : public SystemCalls
{
public:
    int rename(const char*, const char*) override
    {
        errno = EIO;
        return -1;
    }
};

} // namespace

TEST(Puzzle, ReadsBackAsWrittenAndIsProvedAgain)
{
    const Puzzle puzzle = puzzleOf(SHOT);
    EXPECT_EQ(puzzle.goal(), ProofSearch::WIN);
    EXPECT_EQ(puzzle.plies(), 3);
    const Puzzle again = puzzleOf(puzzle.pdn("Puzzle 1"));
    EXPECT_EQ(again.fen(), puzzle.fen());
    EXPECT_EQ(again.record().moves().size(), 3u);
    ProofSearch search(MoveGenerator::Rules::RUSSIAN);
    EXPECT_EQ(again.prove(search), std::nullopt);

    // A main line that starts with another move is no proof of this puzzle.
    std::string wrong = SHOT;
    const std::string line = "1. b4-c5 a5-b4 2. c5xa3 1-0";
    wrong.replace(wrong.find(line), line.size(), "1. h2-g3 *");
    const std::optional<std::string> fault = puzzleOf(wrong).prove(search);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(*fault, "the winning first move is not the main line's");
}

TEST(Puzzle, RefusesGamesThatAreNoPuzzles)
{
    struct Case {
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"[GameType \"25\"]\n\n1. c3-d4 *\n", "no FEN tag: a puzzle sets up its position"},
        {std::string(SHOT).replace(std::string(SHOT).find("win"), 3, "25"),
         "the Goal tag must be \"win\" or a number of men from 1 to 24"},
    };
    for (const Case& c : cases) {
        const std::vector<Pdn::Game> games = readGames(c.text);
        ASSERT_EQ(games.size(), 1u);
        std::string why;
        EXPECT_FALSE(Puzzle::fromGame(games[0], &why).has_value());
        EXPECT_EQ(why, c.reason);
    }
}

TEST(PuzzleSession, AnswersAWrongMoveAndTakesItBack)
{
    PuzzleSession session(puzzleOf(SHOT));
    const GameMove wrong = legalMove(session.record(), "h2-g3");
    const PuzzleSession::Result result = session.play(wrong);
    EXPECT_EQ(result.outcome, PuzzleSession::Outcome::NOT_SOLUTION);
    ASSERT_TRUE(result.refutation.has_value());
    EXPECT_EQ(result.refutation->side, 2);
    EXPECT_TRUE(session.record().moves().empty());
    EXPECT_EQ(session.record().position(), session.puzzle().record().start());
    EXPECT_FALSE(session.solved());
}

TEST(PuzzleSession, SolvedByTheLineAgainstTheComputersDefence)
{
    PuzzleSession session(puzzleOf(SHOT));
    const std::optional<GameMove> hint = session.hint();
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(session.record().notation().moveText(*hint, false), "b4-c5");
    EXPECT_EQ(session.play(*hint).outcome, PuzzleSession::Outcome::CONTINUE);
    EXPECT_FALSE(session.hint().has_value()) << "the computer is to move";
    const std::optional<GameMove> reply = session.answer();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(session.record().moveText(1), "a5-b4");
    EXPECT_EQ(session.play(legalMove(session.record(), "c5xa3")).outcome,
              PuzzleSession::Outcome::SOLVED);
    EXPECT_TRUE(session.solved());
    EXPECT_FALSE(session.answer().has_value());
}

// A person's own problem may be longer than the search can prove: its best move, which the
// hint gives, is then taken as the solution rather than nothing at all.
TEST(PuzzleSession, TakesTheHintWhereNothingIsProved)
{
    PuzzleSession session(puzzleOf("[GameType \"25\"]\n[SetUp \"1\"]\n[FEN \"W:Wa1:Bh8\"]\n\n*\n"));
    const std::optional<GameMove> hint = session.hint();
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(session.play(*hint).outcome, PuzzleSession::Outcome::CONTINUE);
    EXPECT_TRUE(session.answer().has_value());
}

TEST(PuzzleProgress, SurvivesAFailedWriteAndReadsBack)
{
    const std::string path = tempDir() + "/puzzles.progress";
    PuzzleProgress progress(path);
    EXPECT_EQ(progress.load(), std::nullopt) << "a missing file is no progress";
    const std::string first = PuzzleProgress::key(ruleset::RUSSIAN, "W:Wh2,b4,d4:Ba5");
    const std::string second = PuzzleProgress::key(ruleset::ENGLISH, "B:W18:B14");
    progress.mark(first, PuzzleProgress::State::SOLVED);
    ASSERT_TRUE(progress.save());
    const std::string saved = readFile(path);

    progress.mark(second, PuzzleProgress::State::SKIPPED);
    FailingRename failing;
    std::string error;
    EXPECT_FALSE(progress.save(&error, failing));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(path), saved) << "the old file stays whole";
    EXPECT_EQ(progress.state(second), PuzzleProgress::State::SKIPPED) << "nothing is forgotten";
    ASSERT_TRUE(progress.save());

    PuzzleProgress reread(path);
    EXPECT_EQ(reread.load(), std::nullopt);
    EXPECT_EQ(reread.state(first), PuzzleProgress::State::SOLVED);
    EXPECT_EQ(reread.state(second), PuzzleProgress::State::SKIPPED);
    // Skipping a solved puzzle leaves it solved.
    reread.mark(first, PuzzleProgress::State::SKIPPED);
    EXPECT_EQ(reread.state(first), PuzzleProgress::State::SOLVED);
}

TEST(PuzzleProgress, SetsABadFileAsideAndSaysSo)
{
    const std::string header = std::string(PuzzleProgress::HEADER) + '\n';
    const std::string bad[] = {"", "garbage\n", header + "solved 25\n",
                               header + "won 25 W:Wa1:Bh8\n", header + "solved 99 W:Wa1:Bh8\n"};
    for (const std::string& text : bad) {
        const std::string path = tempDir() + "/puzzles.progress";
        writeFile(path, text);
        PuzzleProgress progress(path);
        const std::optional<std::string> report = progress.load();
        ASSERT_TRUE(report.has_value()) << text;
        EXPECT_NE(report->find("set aside as " + path + ".bad"), std::string::npos) << *report;
        EXPECT_EQ(readFile(path + ".bad"), text);
        EXPECT_EQ(progress.count(PuzzleProgress::State::SOLVED), 0u);
    }
}

TEST(PuzzleBook, ListsTheShippedBookEasyFirstThenAPersonsFiles)
{
    const std::string dir = tempDir();
    std::string hard = SHOT;
    hard.replace(hard.find("[Plies \"3\"]"), 11, "[Plies \"12\"]");
    hard.replace(hard.find("W:Wh2,b4,d4:Ba5"), 15, "W:Wg1,b4,d4:Ba5");
    writeFile(dir + "/russian.pdn", hard + '\n' + SHOT);
    // A person's own problem: no Goal tag (the game is to be won) and no line.
    writeFile(dir + "/mine.pdn", "[GameType \"25\"]\n[SetUp \"1\"]\n[FEN \"B:Wc3:Bd4,f6\"]\n\n*\n"
                                 "[GameType \"21\"]\n[SetUp \"1\"]\n[FEN \"B:W18:B14\"]\n\n*\n");
    writeFile(dir + "/broken.pdn", "[GameType \"25\"]\n\n1. c3-d4 *\n");
    PuzzleBook book(ruleset::RUSSIAN);
    const std::vector<std::string> problems = book.load(dir);
    ASSERT_EQ(book.entries().size(), 3u);
    EXPECT_EQ(book.entries()[0].difficulty, Puzzle::Difficulty::EASY);
    EXPECT_EQ(book.entries()[0].number, 2);
    EXPECT_EQ(book.entries()[1].difficulty, Puzzle::Difficulty::HARD);
    EXPECT_EQ(book.entries()[2].file, "mine.pdn");
    const std::optional<Puzzle> own = book.puzzle(2);
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->fen(), "B:Wc3:Bd4,f6");
    EXPECT_EQ(own->goal(), ProofSearch::WIN);
    EXPECT_EQ(book.puzzle(0)->record().moves().size(), 3u);
    ASSERT_EQ(problems.size(), 1u) << "the English problem belongs to the other book";
    EXPECT_NE(problems[0].find("broken.pdn: game 1: no FEN tag"), std::string::npos);

    PuzzleProgress progress(dir + "/puzzles.progress");
    EXPECT_EQ(book.next(progress), 0u);
    progress.mark(book.key(0), PuzzleProgress::State::SOLVED);
    progress.mark(book.key(1), PuzzleProgress::State::SKIPPED);
    EXPECT_EQ(book.next(progress), 2u);
    progress.mark(book.key(2), PuzzleProgress::State::SOLVED);
    EXPECT_EQ(book.next(progress), 1u) << "only the skipped one is left";
}
