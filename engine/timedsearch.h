#pragma once

#include "endgamevalue.h"
#include "evaluation.h"
#include "movegenerator.h"
#include "packedposition.h"
#include "transpositiontable.h"

#include <chrono>
#include <cstdint>
#include <functional>

class Checkers;
class EndgameTable;

// Grandmaster's search for side 2: iterative deepening by alpha-beta on a time budget, valuing
// positions by its own Evaluation and following every capture beyond the horizon until the
// position is quiet. The budget is kept on a monotonic clock from the start of go() to the move:
// an iteration that cannot finish in time is broken off at once, never waited out. The move of
// the deepest finished iteration is played, or that of the unfinished one where it has already
// proved better at the greater depth. Equal best root moves are chosen among at random as the
// fixed levels choose: the k-th equal one replaces the one chosen with probability 1/k, by
// std::rand. A position with a single legal move is answered at once without searching.
// All memory is taken by the constructor; a search allocates nothing.
class TimedSearch
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int MAX_DEPTH = 64;
    // Values: a won position is worth WIN less the plies to the win.
    static constexpr int WIN = 30000;
    // Values beyond this are wins or losses the search has proved.
    static constexpr int PROVEN = WIN - 1000;
    // A win the endgame tables know is worth this less the plies to the next capture or man's
    // move and those to the position probed: proven, but below every win the search sees to
    // its end.
    static constexpr int TABLE_WIN = WIN - 500;

    // clock: the time the budget is measured on (tests hand in their own).
    explicit TimedSearch(Checkers& engine, Clock clock = &std::chrono::steady_clock::now);

    // Plays the chosen move on the engine's board and returns its value for side 2, in
    // hundredths of a man. moveTimeMs: the budget, 0 for none; maxDepth: the deepest iteration,
    // 0 for MAX_DEPTH. Without a legal move the board is left as it is and a loss returned.
    int go(int moveTimeMs, int maxDepth);

    long long nodes() const { return m_nodes; }
    // The depth of the last iteration the last go() finished (0: none, as with a single move).
    int finishedDepth() const { return m_finishedDepth; }
    // Forgets what earlier searches learnt, as for a new game.
    void clear();
    // Memory of all the search's tables.
    static std::size_t tableBytes();

private:
    static constexpr int MAX_PLY = 96;

    using Move = MoveGenerator::Move;

    int value(const PackedPosition& position, int depth, int alpha, int beta, int ply);
    // The endgame tables' value of a position at `ply`, within the draw rules' count.
    int tableValue(const EndgameValue& known, int ply) const;
    // The root move the tables choose, the fastest win or the longest loss; -1 in a drawn
    // position or one they do not cover. value: its value.
    int tableMove(const EndgameTable& tables, int& value) const;
    // The count of quiet plies after `move` is played from `position` at `ply`.
    void countQuiet(const PackedPosition& position, const Move& move, int ply);
    int quiescence(const PackedPosition& position, int alpha, int beta, int ply);
    // The root's moves searched once more, one ply deeper; false when the time ran out first.
    // best: index of the chosen move, kept when the iteration proves nothing better.
    bool iterate(int depth, int& best, int& bestValue);
    void orderMoves(const MoveGenerator::List& list, std::uint8_t hint, int ply);
    void rememberCutoff(const Move& move, int depth, int ply);
    bool outOfTime();
    void record(const Move& move);

    Checkers& m_engine;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_timed = false;
    bool m_stopped = false;
    TranspositionTable m_table;
    MoveGenerator m_generator;
    Evaluation m_evaluation;
    MoveGenerator::List m_rootMoves;
    std::uint8_t m_rootOrder[MoveGenerator::CAPACITY];
    MoveGenerator::List m_moves[MAX_PLY];
    std::uint8_t m_order[MAX_PLY][MoveGenerator::CAPACITY];
    int m_score[MAX_PLY][MoveGenerator::CAPACITY];
    int m_history[SQUARES][SQUARES];
    static constexpr int NO_KILLER = -1;
    int m_killers[MAX_PLY][2];
    int m_quiet[MAX_PLY + 1] = {}; // plies without a capture or man's move, by ply
    long long m_nodes = 0;
    int m_finishedDepth = 0;
};
