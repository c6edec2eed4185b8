// Square names, move texts and FEN strings of both rule sets, whichever colour is at the bottom.

#include "game/notation.h"
#include "game/ruleset.h"
#include "tests/support/randomgames.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace
{

// The names of the dark squares row by row as the board is drawn, top row first, left to right.
struct Naming {
    int rules;
    Colour bottom;
    const char* rows[8];
};
const Naming NAMINGS[] = {
    {ruleset::RUSSIAN,
     Colour::White,
     {"b8 d8 f8 h8", "a7 c7 e7 g7", "b6 d6 f6 h6", "a5 c5 e5 g5", "b4 d4 f4 h4", "a3 c3 e3 g3",
      "b2 d2 f2 h2", "a1 c1 e1 g1"}},
    {ruleset::RUSSIAN,
     Colour::Black,
     {"g1 e1 c1 a1", "h2 f2 d2 b2", "g3 e3 c3 a3", "h4 f4 d4 b4", "g5 e5 c5 a5", "h6 f6 d6 b6",
      "g7 e7 c7 a7", "h8 f8 d8 b8"}},
    {ruleset::ENGLISH,
     Colour::White,
     {"1 2 3 4", "5 6 7 8", "9 10 11 12", "13 14 15 16", "17 18 19 20", "21 22 23 24",
      "25 26 27 28", "29 30 31 32"}},
    {ruleset::ENGLISH,
     Colour::Black,
     {"32 31 30 29", "28 27 26 25", "24 23 22 21", "20 19 18 17", "16 15 14 13", "12 11 10 9",
      "8 7 6 5", "4 3 2 1"}},
};

std::vector<Position> randomPositions(int rules, unsigned seed, std::size_t count)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rules);
    RandomGames games(*engine, seed);
    std::vector<Position> result;
    for (const std::string& text : games.positions(count)) {
        engine->fromString(text);
        result.push_back(positionOf(*engine));
    }
    return result;
}

} // namespace

TEST(Notation, NamesEverySquareBothWays)
{
    for (const Naming& naming : NAMINGS) {
        const Notation notation(naming.rules, naming.bottom);
        int square = 0;
        for (const char* row : naming.rows) {
            std::istringstream names(row);
            for (std::string name; names >> name; ++square) {
                EXPECT_EQ(notation.squareName(square), name) << naming.rules;
                EXPECT_EQ(notation.square(name), square) << naming.rules << ' ' << name;
            }
        }
        EXPECT_EQ(square, SQUARES);
    }
}

TEST(Notation, RefusesNamesOfNoDarkSquare)
{
    const Notation russian(ruleset::RUSSIAN, Colour::White);
    const Notation english(ruleset::ENGLISH, Colour::White);
    for (const char* bad : {"", "a2", "b1", "i1", "a9", "a0", "a", "1", "a1x", " a1"})
        EXPECT_EQ(russian.square(bad), -1) << bad;
    for (const char* bad : {"", "0", "33", "a1", "-1", "1.5", "12a"})
        EXPECT_EQ(english.square(bad), -1) << bad;
    EXPECT_EQ(russian.square("C3"), russian.square("c3"));
}

TEST(Notation, ReadsMoveTexts)
{
    struct Case {
        int rules;
        const char* text;
        bool readable;
        std::vector<const char*> squares; // start, listed landings, final
        bool capture;
    };
    const Case cases[] = {
        {ruleset::RUSSIAN, "c3-d4", true, {"c3", "d4"}, false},
        {ruleset::RUSSIAN, "c3xe5xg3", true, {"c3", "e5", "g3"}, true},
        {ruleset::RUSSIAN, "c3:e5", true, {"c3", "e5"}, true},
        {ruleset::ENGLISH, "11-15", true, {"11", "15"}, false},
        {ruleset::ENGLISH, "9x18x27", true, {"9", "18", "27"}, true},
        {ruleset::RUSSIAN, "c3-d4xf6", false, {}, false},
        {ruleset::RUSSIAN, "c3", false, {}, false},
        {ruleset::RUSSIAN, "c3-", false, {}, false},
        {ruleset::RUSSIAN, "-d4", false, {}, false},
        {ruleset::ENGLISH, "11-33", false, {}, false},
    };
    for (const Case& c : cases) {
        const Notation notation(c.rules, Colour::White);
        const std::optional<Notation::MoveText> move = notation.parseMove(c.text);
        ASSERT_EQ(move.has_value(), c.readable) << c.text;
        if (!move)
            continue;
        EXPECT_EQ(move->from, notation.square(c.squares.front())) << c.text;
        EXPECT_EQ(move->to, notation.square(c.squares.back())) << c.text;
        std::vector<int> landings;
        for (std::size_t i = 1; i + 1 < c.squares.size(); ++i)
            landings.push_back(notation.square(c.squares[i]));
        EXPECT_EQ(move->landings, landings) << c.text;
        EXPECT_EQ(move->capture, c.capture) << c.text;
    }
}

TEST(Notation, FenReadsBackEveryPosition)
{
    for (const Naming& naming : NAMINGS) {
        const Notation notation(naming.rules, naming.bottom);
        for (const Position& position : randomPositions(naming.rules, 7, 300)) {
            for (Colour toMove : {Colour::White, Colour::Black}) {
                const std::string text = notation.fen(position, toMove);
                const std::optional<Notation::Fen> fen = notation.parseFen(text);
                ASSERT_TRUE(fen) << text;
                EXPECT_EQ(fen->position, position) << text;
                EXPECT_EQ(fen->toMove, toMove) << text;
            }
        }
    }
}

TEST(Notation, FenOfTheStartAndItsRanges)
{
    const Notation english(ruleset::ENGLISH, Colour::Black);
    // PDN ends a FEN with a dot; many programs leave it out.
    const std::optional<Notation::Fen> start = english.parseFen("B:W21-32:B1-12.");
    ASSERT_TRUE(start);
    EXPECT_EQ(english.parseFen("B:W21-32:B1-12")->position, start->position);
    EXPECT_EQ(start->position, startPosition()); // Black, at the bottom, is side 1
    EXPECT_EQ(start->toMove, Colour::Black);
    EXPECT_EQ(english.fen(start->position, Colour::Black),
              "B:W21,22,23,24,25,26,27,28,29,30,31,32:B1,2,3,4,5,6,7,8,9,10,11,12");

    const Notation russian(ruleset::RUSSIAN, Colour::White);
    EXPECT_EQ(russian.fen(startPosition(), Colour::White),
              "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8");
}

TEST(Notation, FenRefusesWhatIsNoPosition)
{
    const Notation english(ruleset::ENGLISH, Colour::White);
    for (const char* bad : {"", "X:W1:B2", "W:W1,1:B2", "W:W33:B2", "W:Wa1:B2", "W:W1:W2",
                            "W:W5:B29", "W:W12-1:B20", "W:W1:B2:B3", "W:Q1:B2", "W:W,:B2"})
        EXPECT_FALSE(english.parseFen(bad)) << bad;
    // A man on its crowning row refused; a king there is fine.
    EXPECT_FALSE(english.parseFen("W:W2:B30"));
    EXPECT_TRUE(english.parseFen("W:WK2:BK30"));
}
