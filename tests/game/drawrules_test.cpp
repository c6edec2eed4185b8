// Each draw rule at its threshold: one ply short gives no draw.

#include "game/drawrules.h"
#include "game/ruleset.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace
{

constexpr int ROAMING_SQUARES = 16;

// A position different for every ply, so that no position repeats: side 1's king roams squares
// 0..15, side 2's squares 16 and up, with the fixed pieces besides.
Position roaming(int ply, std::initializer_list<std::pair<int, int>> fixed)
{
    Position position{};
    position.fill(FREE);
    position[ply % ROAMING_SQUARES] = KING1;
    position[ROAMING_SQUARES + ply / ROAMING_SQUARES] = KING2;
    for (const auto& piece : fixed)
        position[piece.first] = piece.second;
    return position;
}

GameMove quietMove(int ply, const Position& after)
{
    GameMove move;
    move.side = ply % 2 == 0 ? 1 : 2;
    move.from = 0;
    move.to = 1;
    move.after = after;
    return move;
}

// Plays `plies` moves made by `make` and returns the ply (from 1) on which a draw came, or 0.
template <typename Make> int drawnAt(DrawRules& rules, int plies, Make make, EndReason& reason)
{
    for (int ply = 0; ply < plies; ++ply) {
        reason = rules.afterMove(make(ply));
        if (reason != EndReason::NONE)
            return ply + 1;
    }
    return 0;
}

} // namespace

// Kings only (Russian, 30 plies) and no man moved (English, 80 plies); a man's move or a capture
// starts the count again.
TEST(DrawRules, QuietPliesAtTheirThreshold)
{
    struct Case {
        int rules;
        EndReason reason;
        int threshold;
        int resetAt; // the ply (from 1) a man moves on, or 0
        bool byCapture;
    };
    const Case cases[] = {
        {ruleset::RUSSIAN, EndReason::KINGS_ONLY, 30, 0, false},
        {ruleset::RUSSIAN, EndReason::KINGS_ONLY, 30, 10, false},
        {ruleset::RUSSIAN, EndReason::KINGS_ONLY, 30, 10, true},
        {ruleset::ENGLISH, EndReason::FORTY_MOVES, 80, 0, false},
        {ruleset::ENGLISH, EndReason::FORTY_MOVES, 80, 10, true},
    };
    const std::initializer_list<std::pair<int, int>> fixed = {{28, KING1}, {29, KING2}};
    for (const Case& c : cases) {
        DrawRules rules(c.rules, roaming(0, fixed), 1);
        EndReason reason = EndReason::NONE;
        const int at = drawnAt(
            rules, c.threshold + c.resetAt,
            [&](int ply) {
                GameMove move = quietMove(ply, roaming(ply + 1, fixed));
                if (ply + 1 == c.resetAt) {
                    move.manMoved = !c.byCapture;
                    if (c.byCapture)
                        move.captured = {27};
                }
                return move;
            },
            reason);
        EXPECT_EQ(at, c.threshold + c.resetAt) << c.rules << " reset at " << c.resetAt;
        EXPECT_EQ(reason, c.reason);
    }
}

// Three kings against a lone king (Russian): 30 plies from the balance arising, whether it holds
// from the start or comes with a capture; side 2's men keep the kings-only count from ending
// the game first. English has no such rule.
TEST(DrawRules, ThreeKingsAgainstALoneKing)
{
    struct Case {
        int rules;
        bool arisesLater; // side 1 has a second king until side 2 takes it on ply 1
        int expected;     // the ply of the draw, 0 for none within 100
    };
    const Case cases[] = {
        {ruleset::RUSSIAN, false, 30},
        {ruleset::RUSSIAN, true, 31},
        {ruleset::ENGLISH, false, 0},
    };
    for (const Case& c : cases) {
        const Position start = c.arisesLater
                                   ? roaming(0, {{28, KING2}, {29, KING2}, {24, MAN2}, {31, KING1}})
                                   : roaming(0, {{28, KING2}, {29, KING2}, {24, MAN2}});
        DrawRules rules(c.rules, start, 1);
        EndReason reason = EndReason::NONE;
        const int at = drawnAt(
            rules, 100,
            [&](int ply) {
                GameMove move =
                    quietMove(ply, roaming(ply + 1, {{28, KING2}, {29, KING2}, {24, MAN2}}));
                move.manMoved = move.side == 2; // the man shuffles (as far as these rules see)
                if (ply == 0 && c.arisesLater)
                    move.captured = {31};
                return move;
            },
            reason);
        EXPECT_EQ(at, c.expected) << c.rules << ' ' << c.arisesLater;
        if (c.expected != 0) {
            EXPECT_EQ(reason, EndReason::THREE_KINGS);
        }
    }
}
