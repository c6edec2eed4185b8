// Grandmaster and the game before its root: a move that repeats a position of the game is a
// draw, and so is a line that reaches a draw rule's limit; ahead it avoids them, behind it
// seeks them.

#include "support/positions.h"

#include "engine/searchhistory.h"
#include "engine/timedsearch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using positions::text;
using Rules = MoveGenerator::Rules;

namespace
{

constexpr int DEPTH = 8;
constexpr int WINNING = 150; // a man and a half ahead

PackedPosition packed(const std::string& position)
{
    int cells[CELLS] = {};
    std::istringstream in(position);
    for (int square = 0; square < SQUARES; ++square)
        in >> cells[SQUARE_CELLS[square]];
    return PackedPosition::fromCells(cells, SQUARE_CELLS);
}

struct Searched {
    int value;
    PackedPosition after;
};

Searched searched(Rules rules, const PackedPosition& root, const SearchHistory& history)
{
    TimedSearch search(rules);
    std::srand(1);
    TimedSearch::Limits limits;
    limits.maxDepth = DEPTH;
    const int value = search.go(root, history, limits);
    EXPECT_TRUE(search.hasMove());
    return {value, search.chosen()};
}

std::uint32_t bit(int square)
{
    return std::uint32_t{1} << square;
}

// The position with the side-1 king on `from` moved to `to`.
PackedPosition side1KingMoved(PackedPosition position, int from, int to)
{
    position.side1 = (position.side1 & ~bit(from)) | bit(to);
    position.kings = (position.kings & ~bit(from)) | bit(to);
    return position;
}

} // namespace

// Side 2's king steps from d to c, as it would without a history; but the game has been here:
// c, side 1's king a to b, side 2's king c to d, side 1's king b to a. Stepping back to c repeats
// the game's position, a draw: the search wins with another move.
TEST(DrawSearch, AWinningSideDoesNotRepeatAPositionOfTheGame)
{
    struct Case {
        Rules rules;
        std::string root;
    };
    const Case cases[] = {
        {Rules::ENGLISH, text({{9, KING2}, {18, KING2}, {27, KING1}})},
        {Rules::RUSSIAN, text({{9, KING2}, {18, KING2}, {25, KING2}, {7, MAN2}, {27, KING1}})},
    };
    for (const Case& c : cases) {
        const PackedPosition root = packed(c.root);
        const Searched fresh = searched(c.rules, root, SearchHistory());
        const PackedPosition repeated = fresh.after;
        // The move was a king's step: the king left d for c.
        const std::uint32_t d = root.side2 & ~repeated.side2;
        const std::uint32_t cSquare = repeated.side2 & ~root.side2;
        ASSERT_TRUE(d & root.kings) << "the search's first choice must be a king's move";
        ASSERT_EQ(repeated.side1, root.side1) << "and no capture";

        // A side-1 king's step and back that fits the rules, found by trying them all.
        SearchHistory history;
        for (int a = 0; a < SQUARES && !history.given(); ++a) {
            if (!(root.side1 & root.kings & bit(a)))
                continue;
            for (int b = 0; b < SQUARES && !history.given(); ++b) {
                const PackedPosition stepped = side1KingMoved(repeated, a, b);
                PackedPosition before = stepped;
                before.side2 = (before.side2 & ~cSquare) | d;
                before.kings = (before.kings & ~cSquare) | d;
                const std::vector<PackedPosition> game = {repeated, stepped, before, root};
                if (SearchHistory::firstUnconnected(c.rules, game) < 0)
                    history = SearchHistory::ofGame(c.rules, game);
            }
        }
        ASSERT_TRUE(history.given());

        const Searched knowing = searched(c.rules, root, history);
        EXPECT_NE(knowing.after, repeated) << int(c.rules);
        EXPECT_GT(knowing.value, WINNING) << int(c.rules);
    }
}

// One ply short of the no-capture-no-man-move limit (English 80 plies, Russian 30): behind, side
// 2 makes a king's move, which reaches it, and the game is a draw; ahead, it moves its man, which
// starts the count again, and keeps its win.
TEST(DrawSearch, ADrawCountOnePlyShortOfItsLimitDecides)
{
    struct Case {
        Rules rules;
        std::string root;
        int quietPlies;
        bool ahead;
    };
    const std::string behind =
        text({{1, MAN2}, {14, KING2}, {27, KING1}, {28, KING1}, {30, KING1}});
    const std::string ahead = text({{1, MAN2}, {14, KING2}, {24, KING2}, {26, KING2}, {31, KING1}});
    const Case cases[] = {
        {Rules::ENGLISH, behind, DrawCounters::FORTY_MOVES_PLIES - 1, false},
        {Rules::ENGLISH, ahead, DrawCounters::FORTY_MOVES_PLIES - 1, true},
        {Rules::RUSSIAN, behind, DrawCounters::KINGS_ONLY_PLIES - 1, false},
        {Rules::RUSSIAN, ahead, DrawCounters::KINGS_ONLY_PLIES - 1, true},
    };
    for (const Case& c : cases) {
        const PackedPosition root = packed(c.root);
        DrawCounters counters = DrawCounters::start(root);
        counters.quietPlies = c.quietPlies;
        const Searched played =
            searched(c.rules, root, SearchHistory::withCounters(root, counters));
        const bool manMoved = (played.after.side2 & ~played.after.kings & bit(1)) == 0;
        EXPECT_EQ(manMoved, c.ahead) << int(c.rules) << ' ' << c.ahead;
        if (c.ahead)
            EXPECT_GT(played.value, WINNING) << int(c.rules);
        else
            EXPECT_EQ(played.value, TimedSearch::DRAW) << int(c.rules);
    }
}
