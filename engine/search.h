#pragma once

#include "movegenerator.h"
#include "movesink.h"
#include "packedposition.h"
#include "referencesearch.h"
#include "transpositiontable.h"

#include <cstdint>

// The computer's search for side 2, making exactly the decisions of the full-width search
// (the ReferenceSearch it is given) at a fraction of its cost: for every position, level and state
// of the random generator it plays the same move, returns the same value and draws the same random
// numbers. The root's value is found first by the ordered search; then the root moves are met in
// the generators' order, duplicates included, each valued exactly wherever it could equal or beat
// the best so far and never above the root's value. Below the root the moves come from the bit-set
// move generator, searched by alpha-beta with a transposition table (its moves first, its known
// replies cutting off), killer and history ordering, and bounds on what a position can be worth;
// every value stays exact inside its window.
class Search : private MoveSink
{
public:
    Search();

    // What the search decided: the root's value for side 2, the position after the chosen move
    // (side 2 still the mover) and how many root moves were worth as much.
    struct Outcome {
        int value = 0;
        bool hasMove = false;
        PackedPosition chosen;
        int equals = 0;
    };
    // Searches `root`, side 2 to move, `level` plies deep as `reference` would. False, with
    // nothing decided, where only the full-width search itself can: a level below 2 or beyond
    // the lists, more root moves than they hold, or no memory for the table.
    bool go(const PackedPosition& root, MoveGenerator::Rules rules, int level,
            ReferenceSearch& reference, Outcome& outcome);
    long long nodes() const { return m_nodes; }
    // Forgets what earlier searches learnt, as for a new game.
    void clear();
    // Memory of all the search's tables, allocated once with the engine.
    static std::size_t tableBytes();

private:
    static constexpr int MAX_PLY = 32;
    static constexpr int MAX_ROOT_MOVES = 4096; // root moves, duplicates included

    using Move = MoveGenerator::Move;
    struct RootMove {
        PackedPosition after; // side 2 still the mover
        int jumps;
    };

    int value(const PackedPosition& position, int plies, int alpha, int beta, int ply);
    int horizonValue(const PackedPosition& position, int enough);
    int referenceValue(const PackedPosition& position, int plies);
    void choose(const RootMove& move, Outcome& outcome) const;
    int orderScore(const Move& move, int ply) const;
    void rememberCutoff(const Move& move, int plies, int ply);
    void onMove(const int* cells, int jumps) override;

    ReferenceSearch* m_reference = nullptr; // during go()
    int m_level = 0;
    TranspositionTable m_table;
    MoveGenerator m_generator;
    MoveGenerator::List m_moves[MAX_PLY];
    // The order in which a ply searches its moves: indices into its list.
    std::uint8_t m_order[MAX_PLY][MoveGenerator::CAPACITY];
    int m_score[MAX_PLY][MoveGenerator::CAPACITY];
    RootMove m_rootMoves[MAX_ROOT_MOVES];
    int m_rootCount = 0;
    bool m_rootOverflow = false;
    int m_history[SQUARES][SQUARES];
    // The last two moves (from * SQUARES + to) that cut a search off at each ply.
    static constexpr int NO_KILLER = -1;
    int m_killers[MAX_PLY][2];
    long long m_nodes = 0;
};
