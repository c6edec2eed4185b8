// Self-play soak: the search against random legal moves of side 1, checking after every move
// that the position is one the game can reach and that refused moves changed nothing.

#include "support/positions.h"
#include "support/testscale.h"

#include "engine/movesink.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

using positions::at;
using positions::cells;

namespace
{

constexpr int GAMES = 300;     // scaled by CHECKERS_TEST_SCALE
constexpr int MAX_MOVES = 120; // per side; longer games are drawn

struct Counts {
    int side1 = 0;
    int side2 = 0;
};

Counts countPieces(const Checkers& engine)
{
    Counts counts;
    for (int square = 0; square < SQUARES; ++square) {
        const int value = at(engine, square);
        counts.side1 += value == MAN1 || value == KING1;
        counts.side2 += value == MAN2 || value == KING2;
    }
    return counts;
}

void expectReachable(const Checkers& engine)
{
    for (int square = 0; square < SQUARES; ++square) {
        const int value = at(engine, square);
        ASSERT_GE(value, MAN1) << engine.toString(false);
        ASSERT_LE(value, MAN2) << engine.toString(false);
        const int row = square / 4;
        ASSERT_FALSE(row == 0 && value == MAN1) << engine.toString(false);
        ASSERT_FALSE(row == 7 && value == MAN2) << engine.toString(false);
    }
    for (int cell = 0; cell < CELLS; ++cell) {
        bool playable = false;
        for (int square = 0; square < SQUARES; ++square)
            playable |= engine.internal(square) == cell;
        if (!playable) {
            ASSERT_EQ(engine.board[cell], BORDER) << cell;
        }
    }
}

// The positions side 1 can reach, as the search would generate them with the board turned.
class Side1Moves : public MoveSink
{
public:
    explicit Side1Moves(Checkers& engine) : m_engine(engine)
    {
        const auto saved = cells(engine);
        engine.rotate();
        engine.generateMoves2(*this);
        std::copy(saved.begin(), saved.end(), engine.board);
    }
    void onMove(const int* cells, int) override
    {
        std::string text;
        // Read the rotated board back from side 1's point of view.
        for (int square = 0; square < SQUARES; ++square)
            text +=
                std::to_string(SIDE_SWAP - cells[m_engine.internal(SQUARES - 1 - square)]) + ' ';
        positions.insert(text);
    }
    std::set<std::string> positions;

private:
    Checkers& m_engine;
};

template <typename Rules> void soak(unsigned seed)
{
    std::mt19937 random(seed);
    const int games = static_cast<int>(testscale::scaled(GAMES));
    for (int game = 0; game < games; ++game) {
        Rules engine;
        engine.level = 2 + game % 2;
        std::srand(seed + game);
        Counts counts = countPieces(engine);
        for (int move = 0; move < MAX_MOVES; ++move) {
            // Side 1: every pair of squares go1 accepts, each tried on the same position.
            const std::string position = engine.toString(false);
            const auto before = cells(engine);
            struct Move {
                int from;
                int to;
                std::string after;
            };
            std::vector<Move> accepted;
            for (int from = 0; from < SQUARES; ++from) {
                const int piece = at(engine, from);
                if (piece != MAN1 && piece != KING1)
                    continue;
                for (int to = 0; to < SQUARES; ++to) {
                    if (to != from && at(engine, to) != FREE)
                        continue;
                    if (engine.go1(from, to)) {
                        accepted.push_back({from, to, engine.toString(false)});
                        ASSERT_EQ(engine.undo_list.back(), position);
                        engine.undo_list.pop_back();
                        std::copy(before.begin(), before.end(), engine.board);
                    } else {
                        ASSERT_EQ(cells(engine), before) << position << from << "-" << to;
                    }
                }
            }
            const bool side1CanMove = engine.checkMove1() || engine.checkCapture1();
            ASSERT_EQ(!accepted.empty(), side1CanMove) << position;
            const Side1Moves generated(engine);
            for (const Move& m : accepted)
                ASSERT_EQ(generated.positions.count(m.after), 1u) << position << " -> " << m.after;
            if (accepted.empty())
                break;

            const Move& chosen = accepted[random() % accepted.size()];
            ASSERT_TRUE(engine.go1(chosen.from, chosen.to));
            ASSERT_EQ(engine.toString(false), chosen.after);
            expectReachable(engine);
            const Counts afterSide1 = countPieces(engine);
            ASSERT_EQ(afterSide1.side1, counts.side1);
            ASSERT_LE(afterSide1.side2, counts.side2);
            counts = afterSide1;

            // Side 2: the computer.
            if (!engine.checkMove2() && !engine.checkCapture2())
                break;
            const std::string beforeReply = engine.toString(false);
            engine.go2();
            ASSERT_NE(engine.toString(false), beforeReply);
            expectReachable(engine);
            const Counts afterSide2 = countPieces(engine);
            ASSERT_LE(afterSide2.side1, counts.side1);
            ASSERT_EQ(afterSide2.side2, counts.side2);
            counts = afterSide2;
            ASSERT_EQ(engine.undo_list.size(), static_cast<size_t>(move + 1));
        }
    }
}

TEST(Soak, EnglishSearchAgainstRandomMoves)
{
    soak<ECheckers>(1);
}

TEST(Soak, RussianSearchAgainstRandomMoves)
{
    soak<RCheckers>(2);
}

} // namespace
