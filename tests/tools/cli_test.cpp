// checkers-cli as other tools use it: its output lines, its errors and its exit status.

#include "tests/support/balancegames.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
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

CliRun run(const std::string& arguments)
{
    // Tests run in parallel processes: each call gets a file of its own.
    std::string errFile = ::testing::TempDir() + "cli_test_stderr_XXXXXX";
    const int fd = mkstemp(errFile.data());
    EXPECT_GE(fd, 0);
    close(fd);
    const std::string command = std::string(CHECKERS_CLI) + " " + arguments + " 2>" + errFile;
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

    FILE* bad = fopen(file.c_str(), "w");
    ASSERT_NE(bad, nullptr);
    fputs("5 5 5\n", bad);
    fclose(bad);
    const CliRun refused = run("bench --rules russian --level 5 --file " + file);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(lines(refused.err).size(), 1u) << refused.err;
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
        "bench --rules english --level 4",
        "bench --rules english --level 4 --file /nonexistent/positions.txt",
        "bench --rules english --level 4 --file x --reference-limit 0",
        "pdn",
        "pdn /nonexistent/game.pdn",
        "pdn a.pdn b.pdn",
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

// A PDN file in the test's temporary folder, removed afterwards.
class PdnFile
{
public:
    explicit PdnFile(const std::string& text)
    {
        m_path = ::testing::TempDir() + "cli_test_XXXXXX.pdn";
        const int fd = mkstemps(m_path.data(), 4);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }
    ~PdnFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Each game replayed by the rules, whatever its Result tag says: one going on, one won by
// taking the last piece, one drawn by repetition.
TEST(Cli, PdnReplaysEachGameByTheRules)
{
    const PdnFile file("[Event \"club\"]\n[Result \"1-0\"]\n[GameType \"25\"]\n"
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
    const PdnFile file(std::string(balancegames::THIRTY_MOVES) + balancegames::SIXTY_MOVES);
    const CliRun r = run("pdn " + file.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 10u) << r.out;
    EXPECT_EQ(out[1], "moves 60");
    EXPECT_EQ(out[3], "reason balance-30");
    EXPECT_EQ(out[6], "moves 120");
    EXPECT_EQ(out[8], "reason balance-60");
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
        const PdnFile file(c.text);
        const CliRun r = run("pdn " + file.path());
        EXPECT_EQ(r.status, 2) << c.text;
        ASSERT_EQ(lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
}

} // namespace

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
