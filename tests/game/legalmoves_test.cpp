// The moves with routes against the rule sets' own move entry, over random positions.

#include "game/legalmoves.h"
#include "game/ruleset.h"
#include "tests/support/positions.h"
#include "tests/support/randomgames.h"
#include "tests/support/sharedends.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace
{

constexpr int POSITIONS = 1000;

struct Rules {
    int code;
    unsigned seed;
};
constexpr Rules BOTH_RULES[] = {{ruleset::ENGLISH, 11}, {ruleset::RUSSIAN, 12}};

std::vector<Position> randomPositions(int rulesCode, unsigned seed)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rulesCode);
    RandomGames games(*engine, seed);
    std::vector<Position> result;
    for (const std::string& text : games.positions(POSITIONS)) {
        engine->fromString(text);
        result.push_back(positionOf(*engine));
    }
    return result;
}

// What the rules' own entry accepts: for every (from, to) the position it plays.
std::map<std::pair<int, int>, Position> entryResults(Checkers& engine, const Position& position,
                                                     int side)
{
    std::map<std::pair<int, int>, Position> accepted;
    for (int from = 0; from < SQUARES; ++from) {
        for (int to = 0; to < SQUARES; ++to) {
            placePosition(engine, position);
            if (side == 1 ? engine.go1(from, to) : engine.go2_human(from, to))
                accepted[{from, to}] = positionOf(engine);
        }
    }
    engine.undo_list.clear();
    return accepted;
}

// The squares strictly between two squares on one diagonal, nearest first; empty when they are
// not on one diagonal.
std::vector<int> between(int from, int to)
{
    const int start = Checkers::SQUARE_CELLS[from];
    const int end = Checkers::SQUARE_CELLS[to];
    for (int step : STEPS) {
        std::vector<int> passed;
        for (int cell = start + step;; cell += step) {
            const int* square = std::find(std::begin(Checkers::SQUARE_CELLS),
                                          std::end(Checkers::SQUARE_CELLS), cell);
            if (square == std::end(Checkers::SQUARE_CELLS))
                break;
            if (cell == end)
                return passed;
            passed.push_back(static_cast<int>(square - std::begin(Checkers::SQUARE_CELLS)));
        }
    }
    return {};
}

// Each leg of the route runs along one diagonal and passes exactly one piece: the one the move
// takes on that leg.
void expectRouteTakesItsPieces(const GameMove& move)
{
    ASSERT_EQ(move.landings.size(), move.captured.size());
    ASSERT_EQ(move.landings.back(), move.to);
    int at = move.from;
    for (std::size_t leg = 0; leg < move.landings.size(); ++leg) {
        std::vector<int> pieces;
        for (int square : between(at, move.landings[leg])) {
            if (move.before[square] != FREE && square != move.from)
                pieces.push_back(square);
        }
        EXPECT_EQ(pieces, std::vector<int>{move.captured[leg]}) << "leg " << leg;
        at = move.landings[leg];
    }
}

Position rotated(const Position& position)
{
    Position turned{};
    for (int square = 0; square < SQUARES; ++square)
        turned[square] = SIDE_SWAP - position[SQUARES - 1 - square];
    return turned;
}

} // namespace

// The moves are exactly what go1 and go2_human accept, the one they play for (from, to) comes
// first, and every capture's route takes its pieces one leg at a time.
TEST(LegalMoves, AreWhatTheRulesAcceptWithTheEnginesChoiceFirst)
{
    for (const Rules& rules : BOTH_RULES) {
        const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rules.code);
        int captures = 0;
        for (const Position& random : randomPositions(rules.code, rules.seed)) {
            for (int side = 1; side <= 2; ++side) {
                // Random positions have side 2 to move: turned, they give side 1 its turn.
                const Position position = side == 2 ? random : rotated(random);
                const LegalMoves moves(*engine, position, side);
                const auto accepted = entryResults(*engine, position, side);
                std::set<std::pair<int, int>> listed;
                for (const GameMove& move : moves.all()) {
                    ASSERT_EQ(move.side, side);
                    EXPECT_EQ(move.before, position);
                    EXPECT_EQ(move.manMoved, position[move.from] == (side == 1 ? MAN1 : MAN2));
                    if (!listed.insert({move.from, move.to}).second)
                        continue;
                    const auto entry = accepted.find({move.from, move.to});
                    ASSERT_NE(entry, accepted.end()) << move.from << '-' << move.to;
                    EXPECT_EQ(entry->second, move.after) << rules.code;
                    if (move.isCapture()) {
                        ++captures;
                        expectRouteTakesItsPieces(move);
                    }
                }
                EXPECT_EQ(listed.size(), accepted.size()) << rules.code << positionText(position);
            }
        }
        EXPECT_GT(captures, POSITIONS / 10);
    }
}

// Start and final square alone are ambiguous for the reader and give the engine's choice to a
// person; the landing squares pick either capture, and only squares on some route of the piece
// are landing squares. For both sides.
TEST(LegalMoves, LandingSquaresTellSharedEndsApart)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::RUSSIAN);
    for (const char* text : sharedends::POSITIONS) {
        for (int side = 1; side <= 2; ++side) {
            const Position position = side == 2 ? sharedends::russianPosition(text)
                                                : rotated(sharedends::russianPosition(text));
            const LegalMoves moves(*engine, position, side);
            int shared = 0;
            for (const GameMove& move : moves.all()) {
                if (!moves.needsLandings(move))
                    continue;
                ++shared;
                // "a x c" names the single jump when there is one, and nothing otherwise.
                const bool singleJump = std::any_of(
                    moves.all().begin(), moves.all().end(), [&move](const GameMove& other) {
                        return other.from == move.from && other.to == move.to &&
                               other.landings.size() == 1;
                    });
                const LegalMoves::Choice bare = moves.find(move.from, {}, move.to, true);
                if (singleJump) {
                    ASSERT_EQ(bare.match, LegalMoves::Match::FOUND);
                    EXPECT_EQ(bare.move->landings.size(), 1u);
                } else {
                    EXPECT_EQ(bare.match, LegalMoves::Match::AMBIGUOUS);
                }
                EXPECT_EQ(moves.find(move.from, {}, move.to).match, LegalMoves::Match::FOUND);

                const std::vector<int> stops(move.landings.begin(), move.landings.end() - 1);
                const LegalMoves::Choice routed = moves.find(move.from, stops, move.to, true);
                ASSERT_EQ(routed.match, LegalMoves::Match::FOUND) << text;
                EXPECT_EQ(routed.move->after, move.after);

                std::vector<int> chosen;
                for (int stop : stops) {
                    // A route may pass its start again; the start is never a landing to choose.
                    if (stop == move.from) {
                        EXPECT_FALSE(moves.isLanding(move.from, chosen, stop));
                        continue;
                    }
                    EXPECT_TRUE(moves.isLanding(move.from, chosen, stop));
                    chosen.push_back(stop);
                }
                // Another piece's square is on no route.
                for (int square = 0; square < SQUARES; ++square) {
                    if (square != move.from && position[square] != FREE) {
                        EXPECT_FALSE(moves.isLanding(move.from, {}, square)) << square;
                    }
                }
            }
            EXPECT_GE(shared, 2) << text;
        }
    }
}

// Without a capture, a person's refused move is illegal; with one, it is a missed capture unless
// the entry is a capture itself: a man jumping backwards under English rules, or landing squares.
TEST(LegalMoves, RefusalNamesTheCompulsoryCaptureOnlyForNoCapture)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::ENGLISH);
    Position quiet{};
    quiet.fill(FREE);
    quiet[21] = MAN1;
    quiet[25] = MAN2; // behind 21: an English man may not jump it to 30
    Position capture = quiet;
    capture[17] = MAN2; // 21 must take it, landing on 14
    EXPECT_EQ(LegalMoves(*engine, quiet, 1).refusal(21, {}, 16), LegalMoves::Refusal::ILLEGAL);
    const LegalMoves moves(*engine, capture, 1);
    EXPECT_TRUE(moves.captureCompulsory());
    EXPECT_EQ(moves.find(21, {}, 16).match, LegalMoves::Match::NONE);
    EXPECT_EQ(moves.refusal(21, {}, 16), LegalMoves::Refusal::CAPTURE_COMPULSORY);
    EXPECT_EQ(moves.refusal(21, {}, 30), LegalMoves::Refusal::ILLEGAL);
    EXPECT_EQ(moves.refusal(21, {14}, 16), LegalMoves::Refusal::ILLEGAL);
}

// A capture that comes back to its start square: the piece that moved is found by its route.
TEST(LegalMoves, CaptureBackToItsStart)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::ENGLISH);
    Position position{};
    position.fill(FREE);
    position[22] = KING1;
    for (int square : {17, 9, 18, 10})
        position[square] = MAN2;
    const LegalMoves moves(*engine, position, 1);
    ASSERT_EQ(moves.all().size(), 1u);
    const GameMove& round = moves.all().front();
    EXPECT_EQ(round.from, 22);
    EXPECT_EQ(round.to, 22);
    EXPECT_EQ(round.landings.size(), 4u);
    expectRouteTakesItsPieces(round);
}

// Where a selected piece can go: the final squares of its moves, and the next landing square
// only where start and final square do not tell two captures apart; with a landing chosen, only
// what lies beyond it. English men take forwards only.
TEST(LegalMoves, DestinationsOfAPiece)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::ENGLISH);
    const auto at = [&engine](std::initializer_list<positions::Piece> pieces) {
        engine->fromString(positions::text(pieces));
        return positionOf(*engine);
    };
    engine->fromString(positions::start());
    const Position start = positionOf(*engine);
    // The man on 30 takes two men to 14 by the left (landing on 21) or by the right (on 23); the
    // man on 28 could step, but the capture is compulsory.
    const Position twoRoutes =
        at({{28, MAN1}, {30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}});
    // The man on 30 takes two men to 14 by the left, or one to 23 by the right.
    const Position twoFinals = at({{30, MAN1}, {25, MAN2}, {17, MAN2}, {26, MAN2}});
    // A Russian king's capture from 13 comes back over it on the way to 6: the start square is
    // never a landing to choose, though the captures sharing their ends need their landings.
    const Position shared = sharedends::russianPosition(sharedends::POSITIONS[0]);
    const struct {
        Position position;
        int side;
        int from;
        std::vector<int> chosen;
        std::vector<int> expected;
        int rules = ruleset::ENGLISH;
    } cases[] = {
        {start, 1, 22, {}, {17, 18}},
        {start, 1, 28, {}, {}},
        {start, 1, 9, {}, {}},
        {twoRoutes, 1, 30, {}, {14, 21, 23}},
        {twoRoutes, 1, 30, {23}, {14}},
        {twoRoutes, 1, 28, {}, {}},
        {rotated(twoRoutes), 2, 1, {}, {8, 10, 17}},
        {twoFinals, 1, 30, {}, {14, 23}},
        {twoFinals, 1, 30, {21}, {14}},
        {shared, 2, 13, {20, 29, 22}, {2, 6, 11, 15}, ruleset::RUSSIAN},
    };
    const std::unique_ptr<Checkers> russian = ruleset::makeEngine(ruleset::RUSSIAN);
    for (const auto& c : cases) {
        const LegalMoves moves(c.rules == ruleset::RUSSIAN ? *russian : *engine, c.position,
                               c.side);
        EXPECT_EQ(moves.destinations(c.from, c.chosen), c.expected)
            << positionText(c.position) << c.from;
    }
}
