#pragma once

#include "support/positions.h"

#include "engine/movesink.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

// One move entered by a person and what must come of it: the position afterwards, or refusal
// with the board untouched.
struct MoveCase {
    const char* name;
    std::string position;
    int side; // 1 through go1, 2 through go2_human
    int from;
    int to;
    bool accepted;
    std::string after; // the position text after an accepted move
};

inline std::ostream& operator<<(std::ostream& out, const MoveCase& c)
{
    return out << c.name;
}

template <typename Rules> void expectMove(const MoveCase& c)
{
    Rules engine;
    ASSERT_TRUE(engine.fromString(c.position)) << c.name;
    const auto before = positions::cells(engine);
    const bool accepted = c.side == 1 ? engine.go1(c.from, c.to) : engine.go2_human(c.from, c.to);
    ASSERT_EQ(accepted, c.accepted) << c.name;
    if (accepted) {
        EXPECT_EQ(engine.toString(false), c.after) << c.name;
        ASSERT_EQ(engine.undo_list.size(), c.side == 1 ? 1u : 0u) << c.name;
        if (c.side == 1) {
            EXPECT_EQ(engine.undo_list.back(), c.position) << c.name;
        }
    } else {
        EXPECT_EQ(positions::cells(engine), before) << c.name;
        EXPECT_TRUE(engine.undo_list.empty()) << c.name;
    }
}

// Whether each side has a capture in a position.
struct CaptureCase {
    std::string position;
    bool side1;
    bool side2;
};

template <typename Rules> void expectCaptures(const CaptureCase& c)
{
    Rules engine;
    ASSERT_TRUE(engine.fromString(c.position));
    EXPECT_EQ(engine.checkCapture1(), c.side1) << c.position;
    EXPECT_EQ(engine.checkCapture2(), c.side2) << c.position;
}

// One call of a search generator at the horizon, where it raises best to the most pieces any of
// its moves jumps; it must leave the board exactly as it found it.
struct GeneratorCase {
    std::string position;
    int square;
    int step; // 0: the man generator, or the king's simple moves
    bool king;
    int bestBefore;
    int bestAfter;
};

template <typename Rules> void expectGenerator(const GeneratorCase& c)
{
    Rules engine;
    ASSERT_TRUE(engine.fromString(c.position));
    engine.level = 1;
    engine.depth = 1;
    const auto before = positions::cells(engine);
    const int cell = engine.internal(c.square);
    int best = c.bestBefore;
    if (!c.king)
        engine.manCapture2(cell, best);
    else if (c.step != 0)
        engine.kingCapture2(cell, c.step, best);
    else
        engine.kingMove2(cell, best);
    EXPECT_EQ(best, c.bestAfter) << c.position;
    EXPECT_EQ(positions::cells(engine), before) << c.position;
}

// Collects the complete moves the generators hand out, in order.
class RecordingSink : public MoveSink
{
public:
    struct Move {
        std::string position;
        int jumps;
    };
    explicit RecordingSink(const Checkers& engine) : m_engine(engine) {}
    void onMove(const int* cells, int jumps) override
    {
        std::string text;
        for (int square = 0; square < SQUARES; ++square)
            text += std::to_string(cells[m_engine.internal(square)]) + ' ';
        moves.push_back({text, jumps});
    }
    std::vector<Move> moves;

private:
    const Checkers& m_engine;
};
