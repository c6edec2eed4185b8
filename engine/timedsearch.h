#pragma once

#include "drawcounters.h"
#include "endgamevalue.h"
#include "evaluation.h"
#include "movegenerator.h"
#include "packedposition.h"
#include "searchhistory.h"
#include "timebudget.h"
#include "transpositiontable.h"

#include <atomic>
#include <cstdint>
#include <vector>

class EndgameTable;

// Grandmaster's search for side 2: iterative deepening by alpha-beta on a time budget, valuing
// positions by its own Evaluation and following every capture beyond the horizon until the
// position is quiet. The budget is kept on a monotonic clock from the start of go() to the move:
// an iteration that cannot finish in time is broken off at once, never waited out; once per
// move, when the move the last iteration chose is found worse at the next depth, the budget may
// grow to twice its size (see TimeBudget). The move of the deepest finished iteration is
// played, or that of the unfinished one where it has already proved better at the greater depth.
// Equal best root moves are chosen among at random as the fixed levels choose: the k-th equal one
// replaces the one chosen with probability 1/k, by std::rand. A position with a single legal move
// is answered at once without searching.
//
// The game before the root counts: a position that comes again, in the game or in the search,
// and a line that reaches a draw rule's limit are draws, worth DRAW. Such values depend on the
// way a position was reached, so they are never stored in the transposition table, and a stored
// value is used only where no draw rule can fall due within its depth.
// All memory is taken by the constructor; a search allocates nothing but its principal variation.
class TimedSearch
{
public:
    using Clock = TimeBudget::Clock;

    static constexpr int MAX_DEPTH = 64;
    // Values: a won position is worth WIN less the plies to the win.
    static constexpr int WIN = 30000;
    // Values beyond this are wins or losses the search has proved.
    static constexpr int PROVEN = WIN - 1000;
    static constexpr int DRAW = 0;
    // A win the endgame tables know is worth this less the plies to it and those to the next
    // capture or man's move: proven, but below every win the search sees to its end.
    static constexpr int TABLE_WIN = WIN - 500;

    struct Limits {
        int moveTimeMs = 0; // the budget; 0 for none
        int maxDepth = 0;   // the deepest iteration; 0 for MAX_DEPTH
        // Ends the search as soon as it is set (from any thread); null: only the limits do.
        const std::atomic<bool>* stop = nullptr;
        // The endgame tables, probed where the material fits and at the root; null: none.
        const EndgameTable* tables = nullptr;
    };

    // A move of the principal variation, on the squares of the root's board.
    struct PlannedMove {
        int from;
        int to;
        int jumps;
    };

    // clock: the time the budget is measured on (tests hand in their own).
    explicit TimedSearch(MoveGenerator::Rules rules, Clock clock = &std::chrono::steady_clock::now);

    // Searches `root`, side 2 to move, after the game `history`, and returns its value for side
    // 2 in hundredths of a man. The move chosen is chosen(); without a legal move there is none
    // and a loss is returned.
    int go(const PackedPosition& root, const SearchHistory& history, const Limits& limits);

    bool hasMove() const { return m_hasMove; }
    // The root after the chosen move, side 2 still the mover.
    const PackedPosition& chosen() const { return m_chosen; }
    // The chosen move and the best replies the search expects, as far as its tables know them.
    const std::vector<PlannedMove>& principalVariation() const { return m_principal; }

    long long nodes() const { return m_nodes; }
    // The depth of the last iteration the last go() finished (0: none, as with a single move).
    int finishedDepth() const { return m_finishedDepth; }
    // Did the last go() take more than its budget, its choice having been found worse?
    bool budgetExtended() const { return m_budget.extended(); }
    // Forgets what earlier searches learnt, as for a new game.
    void clear();
    // Memory of all the search's tables.
    static std::size_t tableBytes();

private:
    static constexpr int MAX_PLY = 96;

    using Move = MoveGenerator::Move;

    int value(const PackedPosition& position, int depth, int alpha, int beta, int ply,
              const DrawCounters& counters);
    int quiescence(const PackedPosition& position, int alpha, int beta, int ply);
    // A value known without searching the position: true with `known` when it settles the
    // window. hint receives the move to search first.
    bool knownValue(const PackedPosition& position, int depth, int alpha, int beta, int ply,
                    const DrawCounters& counters, int& known, std::uint8_t& hint) const;
    // The tables' value of a position at `ply`: a win or loss within the draw rules' count,
    // otherwise a draw.
    int tableValue(const EndgameValue& known, int ply, const DrawCounters& counters) const;
    // The root move the tables choose, the fastest win or the longest loss; -1 in a drawn
    // position or one they do not cover. value: its value.
    int tableMove(int& value) const;
    // Is the position at `ply`, with a move to make, a draw by the game's rules?
    bool drawn(const PackedPosition& position, int ply, const DrawCounters& counters) const;
    DrawCounters countersAfter(const DrawCounters& counters, const PackedPosition& before,
                               const Move& move) const;
    // The root's moves searched once more, one ply deeper; false when the time ran out first.
    // best: index of the chosen move, kept when the iteration proves nothing better.
    bool iterate(int depth, int& best, int& bestValue);
    void orderMoves(const MoveGenerator::List& list, std::uint8_t hint, int ply);
    void rememberCutoff(const Move& move, int depth, int ply);
    bool outOfTime();
    void findPrincipalVariation(const PackedPosition& root, int bestIndex);

    MoveGenerator::Rules m_rules;
    TimeBudget m_budget;
    const std::atomic<bool>* m_stop = nullptr;
    const EndgameTable* m_tables = nullptr;
    bool m_stopped = false;
    TranspositionTable m_table;
    MoveGenerator m_generator;
    Evaluation m_evaluation;
    PackedPosition m_root;
    DrawCounters m_rootCounters;
    MoveGenerator::List m_rootMoves;
    std::uint8_t m_rootOrder[MoveGenerator::CAPACITY];
    MoveGenerator::List m_moves[MAX_PLY];
    std::uint8_t m_order[MAX_PLY][MoveGenerator::CAPACITY];
    int m_score[MAX_PLY][MoveGenerator::CAPACITY];
    // The game's earlier positions, then the line being searched: the position at `ply` is at
    // m_historyLength + ply.
    PackedPosition m_line[SearchHistory::MAX_POSITIONS + MAX_PLY];
    int m_historyLength = 0;
    // Set when a value below was a draw by the game's rules: the values above it depend on the
    // way they were reached.
    bool m_drawSeen = false;
    int m_history[SQUARES][SQUARES];
    static constexpr int NO_KILLER = -1;
    int m_killers[MAX_PLY][2];
    long long m_nodes = 0;
    int m_finishedDepth = 0;
    bool m_hasMove = false;
    PackedPosition m_chosen;
    std::vector<PlannedMove> m_principal;
};
