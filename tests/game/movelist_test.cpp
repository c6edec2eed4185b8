// The moves so far as rows to read: numbers, colours in their order, and the missing first move.

#include "game/movelist.h"
#include "game/pdn.h"

#include <gtest/gtest.h>

namespace
{

struct MoveListCase {
    const char* name;
    const char* pdn;
    std::vector<std::string> rows;
};

} // namespace

TEST(MoveList, RowsOfTheGameSoFar)
{
    const MoveListCase cases[] = {
        {"no move yet", "[GameType \"25\"]\n*", {}},
        {"one move", "[GameType \"25\"]\n1. c3-d4 *", {"1. c3-d4"}},
        {"a capture and a last row of one move",
         "[GameType \"25\"]\n1. c3-d4 f6-g5 2. d4-e5 d6xf4 3. g3xe5 *",
         {"1. c3-d4  f6-g5", "2. d4-e5  d6xf4", "3. g3xe5"}},
        {"Black begins: the first row lacks White's move",
         "[GameType \"25\"]\n[SetUp \"1\"]\n"
         "[FEN \"B:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8\"]\n"
         "1... f6-g5 2. c3-d4 *",
         {"1. ...  f6-g5", "2. c3-d4"}},
        {"English: Black first, squares by number",
         "[GameType \"21\"]\n1. 11-15 23-19 2. 8-11 *",
         {"1. 11-15  23-19", "2. 8-11"}},
    };
    for (const MoveListCase& c : cases) {
        const Pdn::ReadResult read = Pdn::read(c.pdn, Colour::White);
        ASSERT_FALSE(read.error) << c.name << ": " << read.error->describe();
        ASSERT_EQ(read.games.size(), 1u) << c.name;
        EXPECT_EQ(MoveList::rows(read.games.front().record), c.rows) << c.name;
    }
}
