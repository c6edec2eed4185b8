// The record as PDN: written and read back by the same rules, and text from elsewhere read
// defensively.

#include "game/pdn.h"
#include "game/ruleset.h"

#include "tests/support/balancegames.h"
#include "tests/support/sharedends.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

namespace
{

constexpr int GAMES = 12;
constexpr int MAX_PLIES = 160;

GameRecord randomGame(int rules, Colour side1, unsigned seed)
{
    std::mt19937 random(seed);
    GameRecord record(rules, side1);
    for (int ply = 0; ply < MAX_PLIES && !record.over(); ++ply) {
        const std::vector<GameMove>& moves = record.legalMoves().all();
        const GameMove chosen = moves[random() % moves.size()];
        EXPECT_TRUE(record.play(chosen));
    }
    return record;
}

void expectSameGame(const GameRecord& read, const GameRecord& played)
{
    ASSERT_EQ(read.moves().size(), played.moves().size());
    for (std::size_t i = 0; i < played.moves().size(); ++i) {
        EXPECT_EQ(read.moves()[i].from, played.moves()[i].from) << i;
        EXPECT_EQ(read.moves()[i].to, played.moves()[i].to) << i;
        EXPECT_EQ(read.moves()[i].after, played.moves()[i].after) << i;
    }
    EXPECT_EQ(read.position(), played.position());
    EXPECT_EQ(read.sideToMove(), played.sideToMove());
    EXPECT_EQ(read.result(), played.result());
    EXPECT_EQ(read.reason(), played.reason());
}

Pdn::Tags tags()
{
    return {"Test \"quoted\" \\ game", "2026.12.08", "Person", "Computer"};
}

// What a reader that takes games cut short finds.
struct TolerantRead {
    std::vector<GameRecord> games;
    std::vector<Pdn::Error> torn;
    std::optional<Pdn::Error> error;
};

TolerantRead readTolerant(const std::string& text)
{
    std::istringstream in(text);
    TolerantRead read;
    read.error = Pdn::read(
        in, [](const Pdn::TagValues&) { return Colour::White; },
        [&read](Pdn::Game& game) { return read.games.push_back(std::move(game.record)), true; },
        [&read](const Pdn::Error& torn) { return read.torn.push_back(torn), true; });
    return read;
}

} // namespace

TEST(Pdn, RandomGamesReadBackAsPlayed)
{
    for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
        for (Colour side1 : {Colour::White, Colour::Black}) {
            std::string all;
            std::vector<GameRecord> played;
            for (int game = 0; game < GAMES; ++game) {
                played.push_back(randomGame(rules, side1, 100 * rules + game));
                const std::string text = Pdn::write(played.back(), tags());
                const Pdn::ReadResult read = Pdn::read(text, side1);
                ASSERT_FALSE(read.error) << read.error->describe() << '\n' << text;
                ASSERT_EQ(read.games.size(), 1u);
                expectSameGame(read.games[0].record, played.back());
                EXPECT_EQ(read.games[0].tags.at("Event"), tags().event);
                EXPECT_EQ(read.games[0].tags.at("GameType"), std::to_string(rules));
                all += text + '\n';
            }
            const Pdn::ReadResult read = Pdn::read(all, side1);
            ASSERT_FALSE(read.error) << read.error->describe();
            ASSERT_EQ(read.games.size(), played.size());
            for (std::size_t i = 0; i < played.size(); ++i)
                expectSameGame(read.games[i].record, played[i]);
        }
    }
}

// A capture sharing start and final square with another is written with its landing squares
// and replayed along its own route; without them the reader refuses it as ambiguous.
TEST(Pdn, SharedEndsAreWrittenWithTheirLandings)
{
    int ambiguous = 0;
    for (const char* text : sharedends::POSITIONS) {
        const Position position = sharedends::russianPosition(text);
        for (Colour side1 : {Colour::White, Colour::Black}) {
            const GameRecord start(ruleset::RUSSIAN, side1, position, 2);
            for (const GameMove& move : start.legalMoves().all()) {
                if (!start.legalMoves().needsLandings(move))
                    continue;
                GameRecord record = start;
                ASSERT_TRUE(record.play(move));
                const std::string written = Pdn::write(record, tags());
                const std::string full = record.notation().moveText(move, true);
                EXPECT_NE(written.find(' ' + full + ' '), std::string::npos) << written;
                const Pdn::ReadResult read = Pdn::read(written, side1);
                ASSERT_FALSE(read.error) << read.error->describe() << '\n' << written;
                EXPECT_EQ(read.games.at(0).record.position(), move.after);

                std::string bare = written;
                const std::string ends = record.notation().moveText(move, false);
                bare.replace(bare.find(full), full.size(), ends);
                const Pdn::ReadResult short_ = Pdn::read(bare, side1);
                const std::vector<GameMove>& all = start.legalMoves().all();
                const auto single = std::find_if(all.begin(), all.end(), [&](const GameMove& m) {
                    return m.from == move.from && m.to == move.to && m.landings.size() == 1;
                });
                if (single != all.end()) {
                    // "a x c" names the single jump.
                    ASSERT_FALSE(short_.error) << bare;
                    EXPECT_EQ(short_.games.at(0).record.position(), single->after);
                    continue;
                }
                ++ambiguous;
                ASSERT_TRUE(short_.error) << bare;
                EXPECT_EQ(short_.error->game, 1);
                EXPECT_EQ(short_.error->moveNumber, 1);
                EXPECT_EQ(short_.error->moveText, ends);
            }
        }
    }
    EXPECT_GT(ambiguous, 0);
}

// A king's capture round four men back to its start is written with every landing square; the
// reader takes it so, along the other way round, or as start and final square alone.
TEST(Pdn, CircularCaptureListsEveryLanding)
{
    const Notation notation(ruleset::RUSSIAN, Colour::White);
    GameRecord record(ruleset::RUSSIAN, Colour::White,
                      notation.parseFen("W:WKe1:Bd2,d4,f4,f2")->position, 1);
    ASSERT_TRUE(record.play(record.legalMoves().all().at(0)));
    EXPECT_NE(Pdn::write(record, tags()).find(" e1xc3xe5xg3xe1 "), std::string::npos);
    for (const char* move : {"e1xc3xe5xg3xe1", "e1xg3xe5xc3xe1", "e1xe1", "e1:e1"}) {
        const Pdn::ReadResult read = Pdn::read(
            std::string("[GameType \"25\"][FEN \"W:WKe1:Bd2,d4,f4,f2\"]1. ") + move + " *",
            Colour::White);
        ASSERT_FALSE(read.error) << move << ": " << read.error->describe();
        EXPECT_EQ(read.games.at(0).record.position(), record.position()) << move;
    }
}

// Cut anywhere before its result token, a record is an error, never a crash or a hang.
TEST(Pdn, TornTextIsAnError)
{
    const GameRecord played = randomGame(ruleset::RUSSIAN, Colour::White, 5);
    const std::string text = Pdn::write(played, tags());
    const std::size_t end = text.find_last_not_of("\n") + 1;
    for (std::size_t cut = 0; cut < end; ++cut) {
        const Pdn::ReadResult read = Pdn::read(text.substr(0, cut), Colour::White);
        EXPECT_TRUE(read.error) << "cut at " << cut;
    }
    EXPECT_FALSE(Pdn::read(text.substr(0, end), Colour::White).error);
}

// Games added one after another, each after a line break, the middle or the last one cut short
// anywhere before its result: the others are read as written, and the cut one is named at its
// place in the count. Its set-up (a FEN) never leaks into the game after it.
TEST(Pdn, GamesCutShortAreReportedAndTheOthersRead)
{
    const GameRecord first = randomGame(ruleset::RUSSIAN, Colour::White, 11);
    const GameRecord last = randomGame(ruleset::RUSSIAN, Colour::White, 13);
    const std::string head = Pdn::write(first, tags()) + '\n';
    const std::string cutText =
        "[Event \"A \\\"cut\\\" game\"]\n" + std::string(balancegames::THIRTY_MOVES);
    for (std::size_t length = 1; length < cutText.find_last_not_of('\n') + 1; ++length) {
        for (const bool inTheMiddle : {true, false}) {
            const std::string tail = inTheMiddle ? '\n' + Pdn::write(last, tags()) : "";
            const TolerantRead read = readTolerant(head + cutText.substr(0, length) + tail);
            ASSERT_FALSE(read.error) << read.error->describe() << '\n' << length;
            ASSERT_EQ(read.torn.size(), 1u) << length;
            EXPECT_EQ(read.torn[0].game, 2);
            EXPECT_NE(read.torn[0].reason.find(inTheMiddle ? "the next game begins" : "text ends"),
                      std::string::npos);
            ASSERT_EQ(read.games.size(), inTheMiddle ? 2u : 1u) << length;
            expectSameGame(read.games[0], first);
            if (inTheMiddle)
                expectSameGame(read.games[1], last);
        }
    }
}

// Two games cut short in a row, the first anywhere, the second in or after its first tag: each is
// counted and named, also when the first stops among its tags. (A second cut after its lone "["
// could be the end of either and is left to the first.)
TEST(Pdn, TwoGamesCutShortInARowAreTwo)
{
    const GameRecord last = randomGame(ruleset::RUSSIAN, Colour::White, 13);
    const std::string head = "[Event \"Whole\"]\n[GameType \"25\"]\n1. c3-d4 *\n";
    const std::string tail = '\n' + Pdn::write(last, tags());
    const std::string cutText =
        "[Event \"A cut game\"]\n" + std::string(balancegames::THIRTY_MOVES);
    const std::size_t secondCuts[] = {2, 7, 12, cutText.find('\n') + 1, cutText.find('\n') + 20};
    for (std::size_t length = 1; length < cutText.find_last_not_of('\n') + 1; ++length) {
        for (const std::size_t second : secondCuts) {
            const std::string text =
                head + cutText.substr(0, length) + '\n' + cutText.substr(0, second) + tail;
            const TolerantRead read = readTolerant(text);
            ASSERT_FALSE(read.error) << read.error->describe() << '\n' << text;
            ASSERT_EQ(read.torn.size(), 2u) << text;
            EXPECT_EQ(read.torn[0].game, 2) << text;
            EXPECT_EQ(read.torn[1].game, 3) << text;
            ASSERT_EQ(read.games.size(), 2u) << text;
            expectSameGame(read.games[1], last);
        }
    }
}

// A game is cut short only where its text stops at the end of a line before the next game's
// first tag, or at the end of the text; a fault anywhere else is the error it always was.
TEST(Pdn, OnlyATextThatStopsIsCutShort)
{
    const std::string game = "[GameType \"25\"]\n1. c3-d4 *\n";
    const struct {
        std::string text;
        std::size_t games;
        std::size_t torn;
        const char* error;
    } cases[] = {
        {"[GameType \"25\"]\n1. c3-e5 *\n" + game, 0, 0,
         "line 2, game 1, move 1 \"c3-e5\": not a legal move"},
        {"[GameType \"25\"]\n1. c3-d4 " + game, 0, 0,
         "line 2, game 1: the moves before this tag have no result"},
        {"[GameType \"25\"]\n[FEN \"W:Wa1:Bh8\"]\n" + game, 1, 1, ""},
        {"[GameType \"25\"]\n[FEN \"W:Wa1:Bh8\"] " + game, 0, 0,
         "line 3, game 1, move 1 \"c3-d4\": not a legal move"},
        {"[GameType \"25\"]\n1. c3-d4 {cut", 0, 1, ""},
        {"[GameType \"25\"]\n1. c3-d4\n[GameType \"25\"]\n1. c3-e5 *", 0, 1,
         "line 4, game 2, move 1 \"c3-e5\": not a legal move"},
    };
    for (const auto& c : cases) {
        const TolerantRead read = readTolerant(c.text);
        EXPECT_EQ(read.games.size(), c.games) << c.text;
        EXPECT_EQ(read.torn.size(), c.torn) << c.text;
        EXPECT_EQ(read.error ? read.error->describe() : "", c.error) << c.text;
    }
}

TEST(Pdn, GarbageIsAnError)
{
    const char* const garbage[] = {
        "[Event",
        "[GameType \"25\"",
        "[GameType \"25\"]\n1. c3-d4 {unclosed",
        "[GameType \"25\"]\n1. c3-d4 (f6-e5",
        "[GameType \"25\"]\n1. c3-d4 c3-d4 *",
        "[GameType \"25\"]\n1. c3-d5 *",
        "[GameType \"20\"]\n1. 32-28 *",
        "[GameType \"25\"][FEN \"W:Wz9:B\"]\n*",
        "hello world",
        "}{)(][",
    };
    for (const char* text : garbage)
        EXPECT_TRUE(Pdn::read(text, Colour::White).error) << text;

    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        std::string noise(random() % 300, ' ');
        for (char& c : noise)
            c = static_cast<char>(random() % 256);
        // Noise within a game's movetext, and noise on its own.
        Pdn::read("[GameType \"25\"]\n1. " + noise, Colour::White);
        Pdn::read(noise, Colour::White);
    }
}

// What other programs write: comments, NAGs, move numbers run into the moves, draughts result
// forms, a set-up position and escaped tag values.
TEST(Pdn, ReadsWhatOtherProgramsWrite)
{
    const std::string text = "[Event \"A \\\"club\\\" game\"]\n"
                             "[GameType \"21,B,8,8,N2,0\"]\n"
                             "[SetUp \"1\"]\n"
                             "[FEN \"W:W21-24,K30:B5,9\"]\n"
                             "; a line comment\n"
                             "1... 24-19 {the quiet move} $1 9-14 2.19-15 5-9 (2... 14-18) 2-0\n"
                             "[GameType \"25\"]\n1.c3-d4! f6-e5?! 2. d4:f6 g7xe5 1-1\n";
    const Pdn::ReadResult read = Pdn::read(text, Colour::Black);
    ASSERT_FALSE(read.error) << read.error->describe();
    ASSERT_EQ(read.games.size(), 2u);
    EXPECT_EQ(read.games[0].tags.at("Event"), "A \"club\" game");
    const GameRecord& english = read.games[0].record;
    EXPECT_EQ(english.moves().size(), 4u);
    EXPECT_EQ(english.colourOf(english.startSide()), Colour::White);
    EXPECT_EQ(english.notation().fen(english.position(), english.colourToMove()),
              "W:W15,21,22,23,K30:B9,14");
    EXPECT_EQ(read.games[1].record.moves().size(), 4u);
    EXPECT_EQ(read.games[1].record.moves()[2].captured.size(), 1u);
}

// Text around the games that is none of theirs: a byte-order mark, comments, escape lines and
// blank text before the first game, between games and after the last.
TEST(Pdn, SkipsWhatSurroundsTheGames)
{
    const std::string game = "[GameType \"25\"]\n1. c3-d4 *\n";
    const char* const before[] = {"\xEF\xBB\xBF", "{from a database}\n", "% escape\n", ";\n\n"};
    const char* const after[] = {"{the end}", "\n% escape", "\n  \n", ";"};
    for (const char* head : before) {
        for (const char* tail : after) {
            const std::string text = head + game + "{between}\n" + game + tail;
            const Pdn::ReadResult read = Pdn::read(text, Colour::White);
            EXPECT_FALSE(read.error) << text << '\n' << read.error->describe();
            EXPECT_EQ(read.games.size(), 2u) << text;
        }
    }
}

// Each error names what is wrong and where: line, game, move and word.
TEST(Pdn, ErrorsNameWhatAndWhere)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "line 1: no game in the text"},
        {"hello world\n", "line 1, game 1 \"hello\": not a move"},
        {"[GameType \"25\"]\n1. c3-d4 *\n\n[GameType \"25\"]\n1. c3-d4 f6-e5 2. c3-b4 *",
         "line 5, game 2, move 2 \"c3-b4\": not a legal move"},
        {"[Event \"x\"]\n\n1. c3-d4 *", "line 3, game 1: no GameType tag: it must be 21 "
                                        "(English) or 25 (Russian)"},
        {"[Event \"x\"]\n[GameType \"20\"]\n1. 32-28 *",
         "line 2, game 1 \"20\": GameType must be 21 (English) or 25 (Russian)"},
        {"[GameType \"25\"]\n[Event \"x\n1. c3-d4 *",
         "line 2, game 1 \"Event\": the tag is not closed"},
        {"[GameType \"25\"]\n1. c3-d4\n{open\n",
         "line 3, game 1: the text ends inside this comment"},
        {"[GameType \"25\"]\n1. c3-d4\n", "line 2, game 1: the game has no result at its end"},
        {"[GameType \"25\"]\n1. c3-d4\n[Event \"x\"]", "line 3, game 1: the moves before this tag "
                                                       "have no result"},
        // The game ends with the capture of the last piece; a move after it is refused.
        {"[GameType \"21\"][FEN \"W:W18:B14\"]\n1. 18x9 5-1 *",
         "line 2, game 1, move 2 \"5-1\": the game is already over"},
    };
    for (const auto& c : cases) {
        const Pdn::ReadResult read = Pdn::read(c.text, Colour::White);
        ASSERT_TRUE(read.error) << c.text;
        EXPECT_EQ(read.error->describe(), c.error);
    }
    const Pdn::ReadResult long_ = Pdn::read(std::string(1 << 20, 'a'), Colour::White);
    ASSERT_TRUE(long_.error);
    EXPECT_EQ(long_.error->reason, "a word too long to be a move");
}

// Reading goes game by game: a reader that stops at the second game never reaches what follows.
TEST(Pdn, ReadsOneGameAtATime)
{
    const std::string game = "[GameType \"25\"]\n1. c3-d4 *\n";
    std::istringstream in(game + game + "garbage\n" + game);
    int games = 0;
    const std::optional<Pdn::Error> error = Pdn::read(
        in, [](const Pdn::TagValues&) { return Colour::Black; },
        [&games](Pdn::Game& read) {
            EXPECT_EQ(read.record.side1Colour(), Colour::Black);
            return ++games < 2;
        });
    EXPECT_FALSE(error) << error->describe();
    EXPECT_EQ(games, 2);
    std::string rest;
    std::getline(in >> std::ws, rest);
    EXPECT_EQ(rest, "garbage");
}
