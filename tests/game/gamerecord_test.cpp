// The game as played: end rules through real moves, and undo.

#include "game/gamerecord.h"
#include "game/notation.h"
#include "game/ruleset.h"

#include <gtest/gtest.h>

namespace
{

// Side 1's king on a1 (square 28) and side 2's on b8 (square 0), each stepping out and back
// on diagonals the other's king cannot reach.
Position twoKings()
{
    Position position{};
    position.fill(FREE);
    position[28] = KING1;
    position[0] = KING2;
    return position;
}

struct Entry {
    int from;
    int to;
};
constexpr Entry SHUFFLE[] = {{28, 24}, {0, 4}, {24, 28}, {4, 0}};
constexpr int THIRD_TIME = 8; // the start comes back after plies 4 and 8

} // namespace

TEST(GameRecord, ThirdRepetitionIsADrawInBothRuleSets)
{
    for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
        GameRecord record(rules, Colour::White, twoKings(), 1);
        for (int ply = 0; ply < THIRD_TIME; ++ply) {
            EXPECT_FALSE(record.over()) << rules << " ply " << ply;
            const Entry& entry = SHUFFLE[ply % 4];
            ASSERT_EQ(record.enter(entry.from, {}, entry.to), GameRecord::Entry::PLAYED);
        }
        EXPECT_EQ(record.result(), GameResult::DRAW);
        EXPECT_EQ(record.reason(), EndReason::REPETITION);
        EXPECT_EQ(record.enter(28, {}, 24), GameRecord::Entry::GAME_OVER);
    }
}

// Undo rebuilds the draw counts: the position seen twice is not counted a third time.
TEST(GameRecord, UndoRebuildsTheDrawCounts)
{
    GameRecord record(ruleset::RUSSIAN, Colour::White, twoKings(), 1);
    for (int ply = 0; ply < THIRD_TIME - 1; ++ply)
        record.enter(SHUFFLE[ply % 4].from, {}, SHUFFLE[ply % 4].to);
    ASSERT_TRUE(record.undo()); // side 1's 24-28 on ply 7
    ASSERT_EQ(record.moves().size(), 6u);
    record.enter(24, {}, 28);
    EXPECT_FALSE(record.over());
    record.enter(4, {}, 0);
    EXPECT_EQ(record.reason(), EndReason::REPETITION);
}

TEST(GameRecord, SideWithoutAMoveLoses)
{
    Position position{};
    position.fill(FREE);
    position[21] = MAN1;
    position[17] = MAN2; // side 2's last piece, which 21 must take
    GameRecord record(ruleset::ENGLISH, Colour::White, position, 1);
    EXPECT_EQ(record.enter(21, {}, 16), GameRecord::Entry::CAPTURE_COMPULSORY);
    ASSERT_EQ(record.enter(21, {}, 14), GameRecord::Entry::PLAYED);
    EXPECT_EQ(record.result(), GameResult::WHITE_WINS);
    EXPECT_EQ(record.reason(), EndReason::NO_MOVES);
    ASSERT_NE(record.lastMove(), nullptr);
    EXPECT_EQ(record.lastMove()->captured, std::vector<int>{17});
}

// Undo takes back side 1's last move with everything after it; the engine's undo list holds the
// positions before side 1's moves. Side 1 moving first, and second (the computer's opening).
TEST(GameRecord, UndoTakesBackSide1sLastMove)
{
    struct Case {
        Colour side1;     // Russian: White moves first
        int plies;        // played before undo
        std::size_t left; // moves left after one undo
    };
    const Case cases[] = {{Colour::White, 4, 2}, {Colour::Black, 3, 1}};
    for (const Case& c : cases) {
        GameRecord record(ruleset::RUSSIAN, c.side1);
        for (int ply = 0; ply < c.plies; ++ply)
            ASSERT_TRUE(record.play(record.legalMoves().all().front()));
        const std::vector<GameMove> played = record.moves();
        ASSERT_TRUE(record.undo());
        ASSERT_EQ(record.moves().size(), c.left);
        EXPECT_EQ(record.position(), played[c.left].before);
        EXPECT_EQ(record.sideToMove(), 1);
        EXPECT_EQ(record.lastMove() == nullptr, c.left == 0);
        std::vector<std::string> undoList;
        for (const GameMove& move : record.moves()) {
            if (move.side == 1)
                undoList.push_back(positionText(move.before));
        }
        EXPECT_EQ(record.engineUndoList(), undoList);
        while (record.undo()) {
        }
        EXPECT_EQ(record.moves().size(), c.side1 == Colour::White ? 0u : 1u);
    }
}

// The computer's move arrives as the position go2 leaves; the record finds the move behind it.
TEST(GameRecord, RecordsTheComputersMoveFromItsResult)
{
    GameRecord record(ruleset::ENGLISH, Colour::White); // Black, the computer, opens
    ASSERT_EQ(record.sideToMove(), 2);
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::ENGLISH);
    engine->go2();
    ASSERT_TRUE(record.playResulting(positionOf(*engine)));
    EXPECT_EQ(record.lastMove()->side, 2);
    EXPECT_EQ(record.position(), positionOf(*engine));
    EXPECT_FALSE(record.playResulting(startPosition()));
}

namespace
{

// One choice of a square by the person at the keys (White, at the bottom, to move) in a Russian
// position, named as a person reads the board.
struct Choice {
    const char* fen;
    const char* from;
    std::vector<const char*> landings;
    const char* square;
    GameRecord::Entry entry;
};

using E = GameRecord::Entry;
// c3 takes either c3xa5 or c3xe5xg7; h2 has only a simple move.
const char* const TWO_CAPTURES = "W:Wc3,h2:Bb4,d4,f6,h8";
// f4 takes five men along d6, f8, h6 and f4 again to d2 or c1, or fewer.
const char* const BACK_OVER_START = "W:Wf4:Be7,g7,c5,e5,g5,e3";
// c1 takes d2 landing on e3, a man's one jump.
const char* const SHORT_JUMP = "W:Wc1:Bd2";

const Choice CHOICES[] = {
    {TWO_CAPTURES, "c3", {}, "e5", E::LANDING},
    {TWO_CAPTURES, "c3", {"e5"}, "g7", E::PLAYED},
    {TWO_CAPTURES, "c3", {"e5"}, "a5", E::PLAYED}, // a5 alone names the capture
    {TWO_CAPTURES, "c3", {"e5"}, "c3", E::ROUTE_CLEARED},
    {TWO_CAPTURES, "c3", {"e5"}, "b2", E::ILLEGAL},
    {TWO_CAPTURES, "h2", {}, "g3", E::CAPTURE_COMPULSORY},
    {BACK_OVER_START, "f4", {}, "f4", E::ROUTE_CLEARED},
    {BACK_OVER_START, "f4", {"d6", "f8", "h6"}, "f4", E::ROUTE_CLEARED},
    {BACK_OVER_START, "f4", {"d6", "f8", "h6"}, "c1", E::PLAYED},
    {SHORT_JUMP, "c1", {}, "f4", E::ILLEGAL}, // a man flying over a man: a capture, not a legal one
    {SHORT_JUMP, "c1", {}, "b2", E::CAPTURE_COMPULSORY},
};

} // namespace

// A person's choices along a capture's route: landings, the start chosen again, a final square
// the landings do not lead to, and why an entry is refused.
TEST(GameRecord, EntersCaptureRoutesSquareBySquare)
{
    const Notation notation(ruleset::RUSSIAN, Colour::White);
    for (const Choice& choice : CHOICES) {
        const std::optional<Notation::Fen> fen = notation.parseFen(choice.fen);
        ASSERT_TRUE(fen);
        GameRecord record(ruleset::RUSSIAN, Colour::White, fen->position, 1);
        std::vector<int> landings;
        for (const char* name : choice.landings)
            landings.push_back(notation.square(name));
        EXPECT_EQ(
            record.enter(notation.square(choice.from), landings, notation.square(choice.square)),
            choice.entry)
            << choice.fen << ' ' << choice.from << '>' << choice.square;
        EXPECT_EQ(record.moves().size(), choice.entry == E::PLAYED ? 1u : 0u);
    }
}

// Redo plays again, a step at a time, what each undo took back, and a move played drops what is
// left to redo.
TEST(GameRecord, RedoReplaysEachUndoneStepUntilAMoveIsPlayed)
{
    // Each move's position after it: the moves, compared.
    const auto afters = [](const GameRecord& record) {
        std::vector<Position> positions;
        for (const GameMove& move : record.moves())
            positions.push_back(move.after);
        return positions;
    };
    GameRecord record(ruleset::RUSSIAN, Colour::White);
    EXPECT_FALSE(record.redo());
    for (int ply = 0; ply < 4; ++ply)
        ASSERT_TRUE(record.play(record.legalMoves().all().back()));
    const GameRecord played = record;
    ASSERT_TRUE(record.undo());
    const GameRecord once = record;
    ASSERT_TRUE(record.undo());
    ASSERT_TRUE(record.redo());
    EXPECT_EQ(afters(record), afters(once));
    ASSERT_TRUE(record.redo());
    EXPECT_EQ(afters(record), afters(played));
    EXPECT_EQ(record.engineUndoList(), played.engineUndoList());
    EXPECT_TRUE(record.lastMoveRedone());
    EXPECT_FALSE(record.redo());

    ASSERT_TRUE(record.undo());
    ASSERT_TRUE(record.play(record.legalMoves().all().front()));
    EXPECT_FALSE(record.lastMoveRedone());
    EXPECT_FALSE(record.canRedo());
    EXPECT_FALSE(record.redo());
}
