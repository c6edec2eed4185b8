// Each draw rule at its threshold: one ply short gives no draw.

#include "game/drawrules.h"
#include "game/gamehistory.h"
#include "game/gamerecord.h"
#include "game/ruleset.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr int ROAMING_SQUARES = 16;
constexpr int WATCHED_PLIES = 125; // side 2's roaming piece stays below square 24

// A position different for every ply, so that no position repeats: side 1's king roams squares
// 0..15, side 2's piece (a king unless given) squares 16 and up, with the fixed pieces besides.
Position roaming(int ply, const std::vector<std::pair<int, int>>& fixed, int roamer2 = KING2)
{
    Position position{};
    position.fill(FREE);
    position[ply % ROAMING_SQUARES] = KING1;
    position[ROAMING_SQUARES + ply / ROAMING_SQUARES] = roamer2;
    for (const auto& piece : fixed)
        position[piece.first] = piece.second;
    return position;
}

// Pieces written "K28 m25": K and M side 1's king and man, k and m side 2's, on engine squares.
std::vector<std::pair<int, int>> piecesOf(const std::string& text)
{
    std::vector<std::pair<int, int>> pieces;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        const int values[] = {KING1, MAN1, KING2, MAN2};
        const int value = values[std::string("KMkm").find(word[0])];
        pieces.emplace_back(std::stoi(word.substr(1)), value);
    }
    return pieces;
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
    const std::vector<std::pair<int, int>> fixed = {{28, KING1}, {29, KING2}};
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

// Which rule ends an ending, and on which ply: three kings against a lone king (30 plies from
// the balance arising) and the unchanged balance of an ending with kings on both sides (60 plies
// with 4 or 5 pieces, 120 with 6 or 7). Side 2's moves are man moves (as far as these rules see),
// which keeps the kings-only count from ending the game, except where noted.
TEST(DrawRules, RussianEndings)
{
    struct Case {
        const char* pieces; // besides the roaming ones: "K" a king of side 1, "m" a man of side 2
        int roamer2;        // side 2's roaming piece
        bool menMove;       // side 2's moves are man moves
        int crownAt;        // the ply (from 1) that crowns the first piece listed, or 0
        int rules;
        int expected; // the ply of the draw, 0 for none within WATCHED_PLIES
        EndReason reason;
    };
    const int R = ruleset::RUSSIAN;
    const int E = ruleset::ENGLISH;
    using D = EndReason;
    const Case cases[] = {
        // Three kings against one is given before kings only when both end the game.
        {"k28 k29", KING2, false, 0, R, 30, D::THREE_KINGS},
        {"k28 k29 m25", KING2, true, 0, R, 30, D::THREE_KINGS},
        {"k28 m25", KING2, true, 0, R, 60, D::BALANCE_30},
        {"k28 k29 M30", KING2, true, 0, R, 60, D::BALANCE_30},
        {"K28 K29", KING2, false, 0, R, 30, D::THREE_KINGS},
        {"K28 K29 m25", KING2, true, 0, R, 60, D::BALANCE_30},
        {"m25", KING2, true, 0, R, 0, D::NONE},
        {"K28 m25", KING2, true, 0, R, 60, D::BALANCE_30},
        {"K28 m25 m26", KING2, true, 0, R, 60, D::BALANCE_30},
        {"K28 m25 m26 m27", KING2, true, 0, R, 120, D::BALANCE_60},
        {"K28 M29 m25 m26 m27", KING2, true, 0, R, 120, D::BALANCE_60},
        {"K28 M29 M30 m25 m26 m27", KING2, true, 0, R, 0, D::NONE},
        {"K28 m25", MAN2, true, 0, R, 0, D::NONE},
        {"m25 K28", KING2, true, 10, R, 70, D::BALANCE_30},
        {"k28 k29 m25", KING2, true, 0, E, 0, D::NONE},
    };
    for (const Case& c : cases) {
        const auto after = [&](int ply) {
            std::vector<std::pair<int, int>> fixed = piecesOf(c.pieces);
            if (c.crownAt != 0 && ply >= c.crownAt)
                fixed.front().second = fixed.front().second == MAN1 ? KING1 : KING2;
            return roaming(ply, fixed, c.roamer2);
        };
        DrawRules rules(c.rules, after(0), 1);
        EndReason reason = EndReason::NONE;
        const int at = drawnAt(
            rules, WATCHED_PLIES,
            [&](int ply) {
                GameMove move = quietMove(ply, after(ply + 1));
                move.manMoved = c.menMove && move.side == 2;
                return move;
            },
            reason);
        EXPECT_EQ(at, c.expected) << c.pieces << " rules " << c.rules;
        EXPECT_EQ(reason, c.reason) << c.pieces << " rules " << c.rules;
    }
}

// The search is handed the game as positions and counts the draw rules from them itself: at
// every ply of a game with captures, crownings and kings' moves its counts are the game's, and
// its root is the game's position as the engine to move sees it.
TEST(DrawRules, TheSearchCountsTheGameAsTheGameDoes)
{
    constexpr int PLIES = 150;
    struct Case {
        int rules;
        Position start;
        int sideToMove;
    };
    Position ending{};
    ending.fill(FREE);
    for (const auto& piece : piecesOf("K28 K29 K30 M21 k1 m6 m7"))
        ending[piece.first] = piece.second;
    const Case cases[] = {
        {ruleset::RUSSIAN, startPosition(), 1},
        {ruleset::ENGLISH, startPosition(), 1},
        {ruleset::RUSSIAN, ending, 2},
        {ruleset::ENGLISH, ending, 2},
    };
    for (const Case& c : cases) {
        GameRecord record(c.rules, Colour::White, c.start, c.sideToMove);
        DrawRules rules(c.rules, c.start, c.sideToMove);
        for (int ply = 0; ply < PLIES && !record.over(); ++ply) {
            const std::vector<GameMove>& moves = record.legalMoves().all();
            const GameMove move = moves[static_cast<std::size_t>(ply * 7) % moves.size()];
            rules.afterMove(move);
            ASSERT_TRUE(record.play(move));
            const SearchHistory history = searchHistoryOf(record);
            const DrawCounters& counts = history.counters();
            EXPECT_EQ(counts.quietPlies, rules.quietPlies()) << c.rules << " ply " << ply;
            EXPECT_EQ(counts.lonesomePlies, rules.lonesomePlies()) << c.rules << " ply " << ply;
            EXPECT_EQ(counts.unchangedPlies, rules.unchangedPlies()) << c.rules << " ply " << ply;
            const Position seen = engineView(record.position(), record.sideToMove());
            int cells[CELLS];
            for (int square = 0; square < SQUARES; ++square)
                cells[SQUARE_CELLS[square]] = seen[square];
            EXPECT_TRUE(history.isFor(PackedPosition::fromCells(cells, SQUARE_CELLS)));
        }
    }
}
