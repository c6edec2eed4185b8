// checkers-cli as other tools use it: its output lines, its errors and its exit status.

#include "engine/endgamefile.h"
#include "engine/endgamegenerator.h"
#include "tests/support/balancegames.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// Runs checkers-cli with the arguments; with a limit, in no more address space than that many
// kilobytes.
CliRun run(const std::string& arguments, long limitKb = 0)
{
    // Tests run in parallel processes: each call gets a file of its own.
    std::string errFile = ::testing::TempDir() + "cli_test_stderr_XXXXXX";
    const int fd = mkstemp(errFile.data());
    EXPECT_GE(fd, 0);
    close(fd);
    const std::string limit =
        limitKb > 0 ? "ulimit -v " + std::to_string(limitKb) + " && exec " : std::string();
    const std::string command =
        limit + std::string(CHECKERS_CLI) + " " + arguments + " 2>" + errFile;
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    CliRun result{-1, "", ""};
    std::array<char, 4096> buffer;
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* err = fopen(errFile.c_str(), "r")) {
        while ((n = fread(buffer.data(), 1, buffer.size(), err)) > 0)
            result.err.append(buffer.data(), n);
        fclose(err);
    }
    std::remove(errFile.c_str());
    return result;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

const std::string START = "\"5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 \"";

// The published move-generation counts from the starting position.
TEST(Cli, PerftReproducesThePublishedCounts)
{
    struct Case {
        const char* rules;
        std::vector<long long> counts;
    };
    const Case cases[] = {
        {"english", {7, 49, 302, 1469, 7361, 36768, 179740, 845931}},
        {"russian", {7, 49, 302, 1469, 7482, 37986, 190146}},
    };
    for (const Case& c : cases) {
        const CliRun r = run(std::string("perft --rules ") + c.rules + " --depth " +
                             std::to_string(c.counts.size()));
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected;
        for (size_t d = 0; d < c.counts.size(); ++d)
            expected.push_back("perft " + std::to_string(d + 1) + " " +
                               std::to_string(c.counts[d]));
        EXPECT_EQ(lines(r.out), expected) << c.rules;
        EXPECT_EQ(r.err, "");
    }
}

TEST(Cli, PerftFromAGivenPosition)
{
    // Side 2's king captures the man and may land on any of three squares.
    const CliRun r = run("perft --rules russian --depth 2 --position "
                         "\"4 3 3 3 3 3 3 3 3 3 3 3 3 3 1 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 \"");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"perft 1 3", "perft 2 0"}));
}

TEST(Cli, MovesListsEveryAcceptedPairInOrder)
{
    const CliRun side1 = run("moves --rules english --position " + START);
    ASSERT_EQ(side1.status, 0) << side1.err;
    const auto got = lines(side1.out);
    const std::vector<std::pair<int, int>> pairs = {{20, 16}, {21, 16}, {21, 17}, {22, 17},
                                                    {22, 18}, {23, 18}, {23, 19}};
    ASSERT_EQ(got.size(), pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const std::string prefix =
            std::to_string(pairs[i].first) + " " + std::to_string(pairs[i].second) + " ";
        EXPECT_EQ(got[i].substr(0, prefix.size()), prefix);
        EXPECT_EQ(got[i].size(), prefix.size() + 64);
    }
    EXPECT_EQ(got[0], "20 16 5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 1 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 ");

    const CliRun side2 = run("moves --rules russian --side 2 --position " + START);
    ASSERT_EQ(side2.status, 0) << side2.err;
    EXPECT_EQ(lines(side2.out).size(), 7u);
    EXPECT_EQ(lines(side2.out).front().substr(0, 5), "8 12 ");
}

TEST(Cli, MovesIncludesACaptureBackToItsStart)
{
    // English king on 22 with men on 17, 9, 18 and 10: the only move goes round to 22.
    const CliRun r = run("moves --rules english --position "
                         "\"3 3 3 3 3 3 3 3 3 5 5 3 3 3 3 3 3 5 5 3 3 3 2 3 3 3 3 3 3 3 3 3 \"");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string king = "22 22 ";
    for (int square = 0; square < 32; ++square)
        king += square == 22 ? "2 " : "3 ";
    EXPECT_EQ(lines(r.out), std::vector<std::string>{king});
}

TEST(Cli, SearchPrintsValuePositionNodesAndTime)
{
    const CliRun a = run("search --rules russian --level 4 --seed 7 --position " + START);
    ASSERT_EQ(a.status, 0) << a.err;
    const auto got = lines(a.out);
    ASSERT_EQ(got.size(), 4u) << a.out;
    EXPECT_EQ(got[0], "value 0");
    EXPECT_EQ(got[1].substr(0, 9), "position ");
    EXPECT_EQ(got[1].size(), 9u + 64u);
    EXPECT_EQ(got[2].substr(0, 6), "nodes ");
    EXPECT_GT(std::stoll(got[2].substr(6)), 0);
    EXPECT_EQ(got[3].substr(0, 3), "ms ");
    // The same seed makes the same choice.
    const CliRun b = run("search --rules russian --level 4 --seed 7 --position " + START);
    EXPECT_EQ(lines(b.out)[1], got[1]);
}

TEST(Cli, ReferenceSearchMakesTheSameDecision)
{
    const std::string call = "search --rules english --level 5 --seed 3 --position " + START;
    const CliRun fast = run(call);
    const CliRun reference = run(call + " --reference");
    ASSERT_EQ(fast.status, 0);
    ASSERT_EQ(reference.status, 0);
    EXPECT_EQ(lines(fast.out)[0], lines(reference.out)[0]);
    EXPECT_EQ(lines(fast.out)[1], lines(reference.out)[1]);
}

TEST(Cli, BenchComparesBothSearchesOnAFile)
{
    const std::string file = ::testing::TempDir() + "cli_test_bench.txt";
    FILE* out = fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    fputs("# two positions\n"
          "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 \n"
          "\n"
          "3 3 2 3 3 3 3 3 4 2 3 3 2 3 3 2 3 3 3 1 3 3 3 3 3 3 3 3 3 3 4 3 \n",
          out);
    fclose(out);
    const CliRun r = run("bench --rules russian --level 5 --reference-limit 30 --file " + file);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto got = lines(r.out);
    ASSERT_EQ(got.size(), 8u) << r.out;
    EXPECT_EQ(got[0].substr(0, 16), "position 1 fast ");
    EXPECT_NE(got[0].find(" agree"), std::string::npos);
    EXPECT_NE(got[1].find(" agree"), std::string::npos);
    EXPECT_EQ(got[2], "positions 2 references finished 2 agree 2");
    EXPECT_EQ(got[3].substr(0, 12), "median fast ");
    EXPECT_EQ(got[4].substr(0, 11), "worst fast ");
    EXPECT_EQ(got[5].substr(0, 13), "median ratio ");
    EXPECT_EQ(got[6].substr(0, 13), "nodes/s fast ");
    EXPECT_EQ(got[6].find(" reference 0.0 k"), std::string::npos) << got[6];

    // Without the reference nothing is compared, and the run still succeeds.
    const CliRun alone = run("bench --rules russian --level 5 --fast-only --file " + file);
    ASSERT_EQ(alone.status, 0) << alone.err;
    const auto aloneLines = lines(alone.out);
    ASSERT_EQ(aloneLines.size(), 8u) << alone.out;
    EXPECT_EQ(aloneLines[0].find("reference"), std::string::npos) << aloneLines[0];
    EXPECT_EQ(aloneLines[2], "positions 2 references finished 0 agree 0");

    // Grandmaster on a move time: the depth each search finished, then median and worst. The
    // single legal move of the third position is played unsearched and does not count; the
    // second, searched on a loaded machine, may be broken off just after its first move is
    // found lost, and still counts.
    FILE* more = fopen(file.c_str(), "a");
    ASSERT_NE(more, nullptr);
    fputs("3 3 3 3 3 3 3 3 3 5 3 3 3 1 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 1 3 \n", more);
    fclose(more);
    const CliRun timed = run("bench --rules russian --movetime 5 --file " + file);
    ASSERT_EQ(timed.status, 0) << timed.err;
    const auto timedLines = lines(timed.out);
    ASSERT_EQ(timedLines.size(), 6u) << timed.out;
    EXPECT_EQ(timedLines[0].rfind("position 1 depth ", 0), 0u) << timedLines[0];
    EXPECT_EQ(timedLines[2].rfind("position 3 depth 0 nodes 0 ms ", 0), 0u) << timedLines[2];
    EXPECT_EQ(timedLines[3], "positions 3 searched to the move time 2") << timed.out;
    EXPECT_EQ(timedLines[4].rfind("median depth ", 0), 0u) << timedLines[4];
    EXPECT_EQ(timedLines[5].rfind("worst depth ", 0), 0u) << timedLines[5];

    FILE* bad = fopen(file.c_str(), "w");
    ASSERT_NE(bad, nullptr);
    fputs("5 5 5\n", bad);
    fclose(bad);
    const CliRun refused = run("bench --rules russian --level 5 --file " + file);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(lines(refused.err).size(), 1u) << refused.err;
    EXPECT_NE(refused.err.find("line 1 of " + file + " is not a position"), std::string::npos);
    std::remove(file.c_str());
}

TEST(Cli, BadCallsExitWithStatusTwoAndOneLine)
{
    const std::string badPositions[] = {
        "\"5 5 5\"",
        "\"5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 7 \"",
        "\"0 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 \"",
    };
    std::vector<std::string> calls = {
        "",
        "dance",
        "perft --depth 3",
        "perft --rules chess --depth 3",
        "perft --rules english",
        "perft --rules english --depth 0",
        "perft --rules english --depth three",
        "perft --rules english --depth 3 --speed 9",
        "perft --rules english --depth 3 --depth 4",
        "perft --rules english --depth",
        "moves --rules english",
        "moves --rules english --side 3 --position " + START,
        "search --rules english --position " + START,
        "search --rules english --level 0 --position " + START,
        "search --rules english --level 4 --seed -1 --position " + START,
        "search --rules english --level 4 --reference 1 --position " + START,
        "search --rules english --level 4 --movetime 50 --position " + START,
        "search --rules english --movetime 0 --position " + START,
        "search --rules english --movetime 50 --reference --position " + START,
        "bench --rules english --level 4",
        "bench --rules english --level 4 --file /nonexistent/positions.txt",
        "bench --rules english --level 4 --file x --reference-limit 0",
        "bench --rules english --level 4 --movetime 5 --file x",
        "pdn",
        "pdn /nonexistent/game.pdn",
        "pdn a.pdn b.pdn",
        "games",
        "games a.pdn b.pdn",
        "games a.pdn --folder",
        "games a.pdn --checked",
        "games --random 0",
        "games a.pdn --random 3",
        "analyse",
        "analyse --depth 3",
        "analyse /nonexistent/game.pdn",
        "analyse a.pdn --game 0",
        "analyse a.pdn --movetime 0",
    };
    for (const std::string& position : badPositions) {
        calls.push_back("perft --rules english --depth 2 --position " + position);
        calls.push_back("moves --rules russian --position " + position);
        calls.push_back("search --rules russian --level 2 --position " + position);
    }
    for (const std::string& call : calls) {
        const CliRun r = run(call);
        EXPECT_EQ(r.status, 2) << call;
        EXPECT_EQ(r.out, "") << call;
        EXPECT_EQ(lines(r.err).size(), 1u) << call << ": " << r.err;
    }
}

// A file in the test's temporary folder, removed afterwards.
class TempFile
{
public:
    explicit TempFile(const std::string& text)
    {
        m_path = ::testing::TempDir() + "cli_test_XXXXXX";
        const int fd = mkstemp(m_path.data());
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Each game replayed by the rules, whatever its Result tag says: one going on, one won by
// taking the last piece, one drawn by repetition.
TEST(Cli, PdnReplaysEachGameByTheRules)
{
    const TempFile file("[Event \"club\"]\n[Result \"1-0\"]\n[GameType \"25\"]\n"
                        "1. c3-d4 f6-e5 2. d4xf6 g7xe5 *\n\n"
                        "[GameType \"21\"]\n[SetUp \"1\"]\n[FEN \"W:W18:B14\"]\n1. 18x9 0-1\n\n"
                        "[GameType \"21\"]\n[FEN \"W:WK29:BK4\"]\n"
                        "1. 29-25 4-8 2. 25-29 8-4 3. 29-25 4-8 4. 25-29 8-4 *\n");
    const CliRun r = run("pdn " + file.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected = {
        "game 1",
        "moves 4",
        "result *",
        "reason -",
        "fen W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,e3,g3:Be5,b6,d6,h6,a7,c7,e7,b8,d8,f8,h8",
        "game 2",
        "moves 1",
        "result 1-0",
        "reason no-moves",
        "fen B:W9:B",
        "game 3",
        "moves 8",
        "result 1/2-1/2",
        "reason repetition",
        "fen W:WK29:BK4",
    };
    EXPECT_EQ(lines(r.out), expected);
}

// The unchanged balance of a Russian ending with kings on both sides, 4 pieces and 6.
TEST(Cli, PdnNamesTheBalanceDraws)
{
    const TempFile file(std::string(balancegames::THIRTY_MOVES) + balancegames::SIXTY_MOVES);
    const CliRun r = run("pdn " + file.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 10u) << r.out;
    EXPECT_EQ(out[1], "moves 60");
    EXPECT_EQ(out[3], "reason balance-30");
    EXPECT_EQ(out[6], "moves 120");
    EXPECT_EQ(out[8], "reason balance-60");
}

// Two games cut short in a row, the first after a whole tag and the second in its first tag, as a
// power cut after another leaves them in games.pdn: each is named, and the game after them is the
// fourth.
TEST(Cli, PdnNamesTwoGamesCutShortInARow)
{
    const std::string whole = "[Event \"Checkers\"]\n[GameType \"25\"]\n\n1. c3-d4 *\n";
    const TempFile file(whole + "\n[Event \"Checkers\"]\n[GameType \"25\"]\n[Event \"Che\n" +
                        whole);
    const CliRun r = run("pdn " + file.path());
    EXPECT_EQ(r.status, 1) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 10u) << r.out;
    EXPECT_EQ(out[0], "game 1");
    EXPECT_EQ(out[5], "game 4");
    const std::vector<std::string> err = lines(r.err);
    ASSERT_EQ(err.size(), 2u) << r.err;
    EXPECT_NE(err[0].find("line 7, game 2: the game is cut short"), std::string::npos) << err[0];
    EXPECT_NE(err[1].find("line 8, game 3: the game is cut short"), std::string::npos) << err[1];
}

// An illegal, unreadable or ambiguous move: one line naming the game, the move number and the
// move text, and status 2.
TEST(Cli, PdnNamesTheMoveItCannotPlay)
{
    struct Case {
        const char* text;
        const char* named; // the part of the line that names game, move and text
    };
    const Case cases[] = {
        {"[GameType \"25\"]\n1. c3-d4 *\n[GameType \"25\"]\n1. c3-d4 f6-e5 2. c3-b4 *\n",
         "game 2, move 2 \"c3-b4\""},
        {"[GameType \"21\"]\n1. 11-15 24-20 2. 8-11 2Ox11 *\n", "game 1, move 2 \"2Ox11\""},
        // Black's man on c5 can take e3 then g5, or a3, c1, e3 on the way to g5.
        {"[GameType \"25\"]\n[FEN \"B:Wb2,d2,b4,d4,f4,d6:Bc5\"]\n1... c5xg5 *\n",
         "game 1, move 1 \"c5xg5\""},
    };
    for (const Case& c : cases) {
        const TempFile file(c.text);
        const CliRun r = run("pdn " + file.path());
        EXPECT_EQ(r.status, 2) << c.text;
        ASSERT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
}

// Grandmaster's search on a move time: the four lines of a search, the depth reached and the
// principal variation, within the budget (twice it where the search found its choice worse)
// and a margin for a loaded machine.
TEST(Cli, SearchOnAMoveTimePrintsTheDepthReached)
{
    constexpr int BUDGET_MS = 50;
    constexpr int LOADED_MACHINE_MARGIN_MS = 100;
    const CliRun r = run("search --rules english --movetime 50 --seed 3 --position " + START);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto got = lines(r.out);
    ASSERT_EQ(got.size(), 6u) << r.out;
    EXPECT_EQ(got[0].substr(0, 6), "value ");
    EXPECT_EQ(got[1].substr(0, 9), "position ");
    EXPECT_EQ(got[2].substr(0, 6), "nodes ");
    ASSERT_EQ(got[3].substr(0, 3), "ms ");
    std::cout << got[3] << " for a budget of " << BUDGET_MS << " ms\n";
    EXPECT_LE(std::stoi(got[3].substr(3)), 2 * BUDGET_MS * 11 / 10 + LOADED_MACHINE_MARGIN_MS);
    ASSERT_EQ(got[4].substr(0, 6), "depth ");
    EXPECT_GE(std::stoi(got[4].substr(6)), 3);
    // Every move of side 2 from the start goes down the board: 8..11 to 12..15.
    ASSERT_EQ(got[5].substr(0, 3), "pv ") << got[5];
    std::istringstream pv(got[5].substr(3));
    std::string first;
    ASSERT_TRUE(pv >> first);
    const int from = std::stoi(first);
    const int to = std::stoi(first.substr(first.find('-') + 1));
    EXPECT_TRUE(from >= 8 && from <= 11 && to >= 12 && to <= 15) << first;
}

// The game before the position: each text must be a position, each a legal move before the
// next, the last one a move before --position; only Grandmaster takes it.
TEST(Cli, SearchHistoryIsCheckedMoveByMove)
{
    const std::string start = START.substr(1, START.size() - 2);
    // From the start side 1 (at the bottom) plays 20-16, or side 2 plays 8-12 and side 1 20-16:
    // engine squares, side 2 to move in the position searched, as --position takes it.
    const std::string afterOne = "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 1 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 ";
    const std::string side2First =
        "5 5 5 5 5 5 5 5 3 5 5 5 5 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 ";
    const std::string afterTwo = "5 5 5 5 5 5 5 5 3 5 5 5 5 3 3 3 1 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 ";
    struct Case {
        std::string history;
        std::string position;
        int status;
        std::string named;
    };
    const Case cases[] = {
        {start, afterOne, 0, ""},
        {start + "," + side2First, afterTwo, 0, ""},
        {afterOne, afterOne, 2, "--position"},
        {start + ",5 5", afterOne, 2, "--history"},
        // Side 2 to move in the first position, two plies before the one searched.
        {afterOne + "," + afterOne, afterTwo, 2, "position 2"},
    };
    for (const Case& c : cases) {
        const CliRun r = run("search --rules english --movetime 20 --history \"" + c.history +
                             "\" --position \"" + c.position + "\"");
        EXPECT_EQ(r.status, c.status) << c.history << '\n' << r.err;
        if (c.status != 0)
            EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
    const CliRun fixed = run("search --rules english --level 4 --history \"" + start +
                             "\" --position \"" + afterOne + "\"");
    EXPECT_EQ(fixed.status, 2) << fixed.err;
}

const char TWO_ENGLISH_OPENINGS[] =
    "# two openings\n"
    "W:W20,21,22,23,25,26,27,28,29,30,31,32:B1,2,3,4,6,7,8,9,10,11,12,13 9-13 24-20 5-9 # one\n"
    "\n"
    "  W:W20,21,22,23,25,26,27,28,29,30,31,32:B1,2,3,4,5,7,8,9,10,11,12,13 9-13 24-20 6-9\n";

// Two openings, each played with both colours: one line a game, then the totals.
TEST(Cli, MatchPlaysEachOpeningWithBothColours)
{
    const TempFile openings(TWO_ENGLISH_OPENINGS);
    const CliRun r = run("match --rules english --first movetime:5 --second level:2 --seed 4 "
                         "--openings " +
                         openings.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const auto got = lines(r.out);
    ASSERT_EQ(got.size(), 6u) << r.out;
    const char* const starts[] = {
        "game 1 opening 1 first black result ", "game 2 opening 1 first white result ",
        "game 3 opening 2 first black result ", "game 4 opening 2 first white result "};
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(got[g].rfind(starts[g], 0), 0u) << got[g];
    int wins = -1, draws = -1, losses = -1;
    ASSERT_EQ(std::sscanf(got[4].c_str(), "wins %d draws %d losses %d", &wins, &draws, &losses), 3)
        << got[4];
    EXPECT_EQ(wins + draws + losses, 4);
    EXPECT_EQ(got[5].rfind("score ", 0), 0u) << got[5];
    EXPECT_NE(got[5].find(" interval "), std::string::npos) << got[5];

    // --games cycles through the openings and the seed makes the same games.
    const CliRun one = run("match --rules english --first level:3 --second level:2 --seed 4 "
                           "--games 1 --openings " +
                           openings.path());
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(lines(one.out).size(), 3u) << one.out;
    const CliRun again = run("match --rules english --first level:3 --second level:2 --seed 4 "
                             "--games 1 --openings " +
                             openings.path());
    EXPECT_EQ(again.out, one.out);
}

TEST(Cli, MatchRefusesBadPlayersAndBadOpenings)
{
    const TempFile good(TWO_ENGLISH_OPENINGS);
    const TempFile notFen("W:W21,22:Bx 9-14\n");
    const TempFile empty("# nothing but a comment\n\n");
    const TempFile wrongRules("B:Wa1,c1:Bb8 c3-d4\n");
    // White to move without a move: an opening that is over before it starts.
    const TempFile over("W:W32:B23,24,27,28 -\n");
    const std::string rest = " --openings " + good.path();
    const std::vector<std::string> calls = {
        "match --rules english --first level:9 --second level:2",
        "match --rules english --first level:9" + rest,
        "match --rules checkers --first level:9 --second level:2" + rest,
        "match --rules english --first level:1 --second level:2" + rest,
        "match --rules english --first level:21 --second level:2" + rest,
        "match --rules english --first movetime:0 --second level:2" + rest,
        "match --rules english --first movetime:100 --second elo:2000" + rest,
        "match --rules english --first level:9 --second level:" + rest,
        "match --rules english --first level:9 --second level:2 --games 0" + rest,
        "match --rules english --first level:9 --second level:2 --seed x" + rest,
        "match --rules english --first level:9 --second level:2 --openings /nonexistent/o.txt",
        "match --rules english --first level:9 --second level:2 --openings " + notFen.path(),
        "match --rules english --first level:9 --second level:2 --openings " + empty.path(),
        "match --rules english --first level:9 --second level:2 --openings " + wrongRules.path(),
        "match --rules english --first level:9 --second level:2 --openings " + over.path(),
        "openings --rules english --plies 0 --movetime 5",
        "openings --rules english --plies 1",
    };
    for (const std::string& call : calls) {
        const CliRun r = run(call);
        EXPECT_EQ(r.status, 2) << call;
        EXPECT_EQ(r.out, "") << call;
        EXPECT_EQ(lines(r.err).size(), 1u) << call << ": " << r.err;
    }
}

// The positions after one move are the seven first moves, each a line that a match reads back.
TEST(Cli, OpeningsListsThePositionsAfterTheFirstMoves)
{
    for (const char* rules : {"english", "russian"}) {
        const CliRun r = run(std::string("openings --rules ") + rules + " --plies 1 --movetime 5");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(lines(r.out).size(), 7u) << r.out;
        const TempFile file(r.out);
        const CliRun game =
            run(std::string("match --rules ") + rules +
                " --first level:2 --second level:2 --games 1 --openings " + file.path());
        EXPECT_EQ(game.status, 0) << game.err;
    }
}

// Thousands of games added one after another, one cut short among them and the last: every
// other game is printed, each cut one named on standard error by its number, and the status
// is 1. The reading takes one game's memory: the file (long Event tags make it large) is larger
// than the address space it is given.
TEST(Cli, PdnReadsThousandsOfGamesAndNamesThoseCutShort)
{
    constexpr int GAMES = 4000;
    constexpr int CUT = 1234; // counted from 1, as the output counts
    const std::string event = "[Event \"" + std::string(3000, '.') + "\"]\n";
    std::string all;
    for (int number = 1; number <= GAMES + 1; ++number) {
        const std::string text =
            event + (number % 2 == 0 ? balancegames::THIRTY_MOVES : balancegames::SIXTY_MOVES);
        // As they are added: a line break before each game but the first.
        all += (number > 1 ? "\n" : "") +
               (number == CUT || number > GAMES ? text.substr(0, text.size() / 2) : text);
    }
    const TempFile file(all);
    constexpr long LIMIT_KB = 12 * 1024;
    ASSERT_GT(all.size(), static_cast<std::size_t>(LIMIT_KB) * 1024);
#ifdef CHECKERS_SANITIZED
    const bool bounded = false; // the sanitizers reserve far more than the program uses
#else
    // Under an emulator the bound would be the emulator's.
    const bool bounded = std::string(CHECKERS_CLI).find(' ') == std::string::npos;
#endif
    const CliRun r = run("pdn " + file.path(), bounded ? LIMIT_KB : 0);
    EXPECT_EQ(r.status, 1) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 5u * (GAMES - 1)) << r.err;
    EXPECT_EQ(out[5 * (CUT - 1)], "game " + std::to_string(CUT + 1));
    const std::vector<std::string> err = lines(r.err);
    ASSERT_EQ(err.size(), 2u) << r.err;
    EXPECT_NE(err[0].find(", game " + std::to_string(CUT) + ": the game is cut short"),
              std::string::npos);
    EXPECT_NE(err[1].find(", game " + std::to_string(GAMES + 1) + ": the game is cut short"),
              std::string::npos);
}

} // namespace

// A line a move: the move played and what it is worth to its mover, the best move found and its
// worth, and the mark; --game picks the game of the file.
TEST(Cli, AnalyseJudgesEachMoveOfTheChosenGame)
{
    const TempFile file("[GameType \"25\"]\n1. c3-d4 *\n\n"
                        "[GameType \"25\"]\n[FEN \"W:Wd2,h2,c3:Bc5,b6,d6\"]\n1. c3-b4 c5xa3 *\n");
    const CliRun r = run("analyse " + file.path() + " --game 2 --depth 10");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 2u) << r.out;
    EXPECT_EQ(out[0].rfind("ply 1 move c3-b4 value -", 0), 0u) << out[0];
    EXPECT_NE(out[0].find(" best d2-e3 best-value "), std::string::npos) << out[0];
    EXPECT_EQ(out[0].substr(out[0].size() - 8), " mark ??") << out[0];
    EXPECT_EQ(out[1].rfind("ply 2 move c5xa3 ", 0), 0u) << out[1];
    EXPECT_EQ(out[1].substr(out[1].size() - 7), " mark -") << out[1];
    EXPECT_EQ(run("analyse " + file.path() + " --game 3").status, 2);
}

// A line a game, newest first; a game the reader cannot replay says why, a move the rules refuse
// once the games are checked.
TEST(Cli, GamesListsEachGameWithWhyItCannotBeReplayed)
{
    const TempFile file("[GameType \"25\"]\n1. c3-d4 *\n\n"
                        "[GameType \"23\"]\n1. c3-d4 *\n\n"
                        "[GameType \"25\"]\n1. c3-d5 *\n");
    const CliRun listed = run("games " + file.path());
    EXPECT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> out = lines(listed.out);
    ASSERT_EQ(out.size(), 4u) << listed.out;
    EXPECT_EQ(out[0].substr(out[0].size() - 3), " ok") << out[0];
    EXPECT_NE(out[1].find(" unreadable: GameType must be 21"), std::string::npos) << out[1];
    EXPECT_EQ(out[2].rfind("game 3 file " + file.path() + " offset 0 ", 0), 0u) << out[2];
    EXPECT_EQ(out[3], "games 3");
    const std::vector<std::string> checked = lines(run("games --check " + file.path()).out);
    ASSERT_EQ(checked.size(), 4u);
    const std::string why = " unreadable: \"c3-d5\": not a move";
    EXPECT_EQ(checked[0].substr(checked[0].size() - why.size()), why) << checked[0];
}

// The random games the list is measured on are games the game itself can replay.
TEST(Cli, GamesRandomWritesGamesTheListReplays)
{
    constexpr int GAMES = 6;
    const TempFile file(run("games --random " + std::to_string(GAMES)).out);
    const std::vector<std::string> out = lines(run("games --check " + file.path()).out);
    ASSERT_EQ(out.size(), GAMES + 1u);
    for (int i = 0; i < GAMES; ++i)
        EXPECT_EQ(out[i].substr(out[i].size() - 3), " ok") << out[i];
}

// The hint's time on each position of a file, given to the person at the keys to move, and the
// median and worst of them; a bad call gives one line and status 2.
TEST(Cli, HintTimesEachPositionAndSummarises)
{
    const std::string file = ::testing::TempDir() + "cli_test_hint.txt";
    FILE* out = fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    // The start, and a man of side 2 with one step, which turned round is White's on a3.
    fputs("# two positions\n"
          "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 \n"
          "3 3 3 3 3 3 3 3 3 3 3 5 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 1 3 3 3 \n",
          out);
    fclose(out);
    const CliRun r = run("hint --rules russian --level 4 --file " + file);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto got = lines(r.out);
    ASSERT_EQ(got.size(), 3u) << r.out;
    EXPECT_EQ(got[0].substr(0, 7), "hint 1 ");
    EXPECT_EQ(got[1].substr(0, 13), "hint 2 a3-b4 ");
    EXPECT_EQ(got[2].substr(0, 15), "hints 2 median ");
    EXPECT_NE(got[2].find(" ms worst "), std::string::npos) << got[2];
    const CliRun bad = run("hint --rules draughts --level 4 --file " + file);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(lines(bad.err).size(), 1u) << bad.err;
    std::remove(file.c_str());
}

// A puzzle book made twice from one seed is the same book; --verify proves it again and names
// a puzzle whose proof is gone.
TEST(Cli, PuzzlesAreReproducibleAndVerified)
{
    const std::string dir = ::testing::TempDir();
    const std::string first = dir + "cli_puzzles_1.pdn";
    const std::string second = dir + "cli_puzzles_2.pdn";
    const std::string make = "puzzles --rules english --count 1 --seed 7 --games 40 --openings " +
                             std::string(CHECKERS_SOURCE_DIR) +
                             "/tools/openings/english.txt --out ";
    const CliRun a = run(make + first);
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(run(make + second).status, 0);
    const auto text = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string book = text(first);
    EXPECT_EQ(book, text(second));
    EXPECT_NE(book.find("[Difficulty \""), std::string::npos);
    EXPECT_NE(a.out.find("kept 1 "), std::string::npos) << a.out;

    const CliRun verified = run("puzzles --verify " + first);
    EXPECT_EQ(verified.status, 0) << verified.out;
    EXPECT_EQ(lines(verified.out).back(), "puzzles 1 verified 1 failed 0");

    // Without its main line nothing shows the solution.
    const std::size_t moves = book.find("\n\n") + 2;
    std::ofstream(first) << book.substr(0, moves) << "*\n";
    const CliRun broken = run("puzzles --verify " + first);
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(lines(broken.out).front(), "puzzle 1 fails: no main line");

    EXPECT_EQ(run("puzzles --rules dutch --count 1 --out " + first).status, 2);
    EXPECT_EQ(run("puzzles --verify " + dir + "no_such_book.pdn").status, 2);
}

// The endgame tables made, looked up and checked by their own command; a wrong value stored is
// found and named.
TEST(Cli, TablesBuildProbeAndVerify)
{
    const std::string directory = ::testing::TempDir() + "cli_test_tables";
    for (const char* rules : {"english", "russian"}) {
        const CliRun built =
            run(std::string("tables build --rules ") + rules + " --pieces 3 --out " + directory);
        ASSERT_EQ(built.status, 0) << built.err;
        const std::vector<std::string> out = lines(built.out);
        ASSERT_EQ(out.size(), 5u) << built.out;
        EXPECT_EQ(out[4].substr(0, 8), "seconds ");
    }
    // Side 2's king against side 1's king and man: English, the man is lost and so is the game.
    const std::string kingAgainstTwo =
        "\"4 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 1 3 3 3 2 \"";
    const CliRun probe =
        run("tables probe --rules english --tables " + directory + " --position " + kingAgainstTwo);
    ASSERT_EQ(probe.status, 0) << probe.err;
    EXPECT_EQ(lines(probe.out).front().substr(0, 6), "value ");
    const CliRun verified = run("tables verify --tables " + directory);
    EXPECT_EQ(verified.status, 0) << verified.err;
    EXPECT_EQ(lines(verified.out).size(), 2u) << verified.out;

    // With the tables Grandmaster converts every won position; a material is kings against kings.
    const CliRun converted = run("convert --rules english --material 2v1 --movetime 10 --count 3 "
                                 "--seed 7 --tables " +
                                 directory);
    ASSERT_EQ(converted.status, 0) << converted.err;
    const std::vector<std::string> games = lines(converted.out);
    ASSERT_EQ(games.size(), 5u) << converted.out;
    EXPECT_EQ(games[3], "won 3 converted 3 100.0%");
    EXPECT_EQ(run("convert --rules english --material 2x1 --tables " + directory).status, 2);
    EXPECT_EQ(run("convert --rules english --material 4v1 --tables " + directory).status, 2);

    // One win of two kings against one turned into a draw.
    EndgameGenerator generator(MoveGenerator::Rules::ENGLISH, 3, 3);
    generator.build();
    std::vector<std::vector<std::uint8_t>> values = generator.values();
    const auto& materials = generator.materials();
    const std::size_t twoKings =
        std::find(materials.begin(), materials.end(), EndgameIndex::Material{0, 2, 0, 1}) -
        materials.begin();
    ASSERT_LT(twoKings, materials.size());
    auto& table = values[twoKings];
    const auto win = std::find_if(table.begin(), table.end(), [](std::uint8_t code) {
        return EndgameValue::decode(code).outcome == EndgameValue::Outcome::WIN;
    });
    ASSERT_NE(win, table.end());
    *win = EndgameValue::DRAW_CODE;
    const std::string wrongDirectory = directory + "_wrong";
    std::filesystem::create_directories(wrongDirectory);
    std::string error;
    ASSERT_TRUE(EndgameFile::write(wrongDirectory + "/english.cktb", MoveGenerator::Rules::ENGLISH,
                                   materials, values, error));
    const CliRun wrong = run("tables verify --tables " + wrongDirectory);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("wrong value in 0m2k-0m1k"), std::string::npos) << wrong.err;

    for (const std::string& bad : std::vector<std::string>{
             "tables", "tables sweep", "tables build --rules english --pieces 6 --out " + directory,
             "tables probe --rules english --tables " + directory + " --position \"5 5\"",
             "tables probe --rules english --tables /nonexistent --position " + kingAgainstTwo,
             "tables verify --tables /nonexistent"}) {
        const CliRun r = run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(lines(r.err).size(), 1u) << bad << ": " << r.err;
    }
}
