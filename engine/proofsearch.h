#pragma once

#include "movegenerator.h"
#include "packedposition.h"

#include <climits>
#include <cstdint>
#include <vector>

// Decides what a position is worth in material alone, against every defence, within a number of
// plies: a plain alpha-beta search on MoveGenerator, side 2 to move, with captures followed past
// the horizon until the position is quiet, so that no line stops in the middle of an exchange.
// Material is counted in half men: a man is 2, a king 3 under English rules (one and a half
// men) and 5 under Russian rules (two and a half: it flies). A side without a move has lost,
// which is worth WIN, more than any material. The search keeps a small table of its own; its
// values never depend on what the table holds.
//
// A puzzle is a position whose side to move has exactly one first move that wins at least
// GOAL (two men) net, or the game, against every defence within the plies given, while every
// other first move is at least one man worse than it and wins less than GOAL.
class ProofSearch
{
public:
    static constexpr int MAN = 2;
    static constexpr int GOAL = 2 * MAN;
    static constexpr int WIN = 10000;
    // The proof's bound; the generator finds candidates with a shallower search first.
    static constexpr int PROOF_PLIES = 15;
    static constexpr int DEFAULT_TABLE_BITS = 18;

    // tableBits: the table holds 2^tableBits entries of 12 bytes.
    explicit ProofSearch(MoveGenerator::Rules rules, int tableBits = DEFAULT_TABLE_BITS);

    MoveGenerator::Rules rules() const { return m_rules; }
    int kingValue() const { return m_rules == MoveGenerator::Rules::RUSSIAN ? 5 : 3; }
    // Side 2's material less side 1's.
    int material(const PackedPosition& position) const;
    // The material balance, for side 2, that best play reaches within `plies` plies (captures
    // followed further), or +-WIN; exact inside (alpha, beta), otherwise a bound on its side.
    int value(const PackedPosition& position, int plies, int alpha, int beta);
    int value(const PackedPosition& position, int plies)
    {
        return value(position, plies, -INF, INF);
    }
    // What side 2's move to `reply` (a position of side 1 to move, as MoveGenerator gives it)
    // gains, net, against every defence within `plies` plies counting the move: WIN for a won
    // game, otherwise the change of side 2's material balance.
    int gain(const PackedPosition& before, const PackedPosition& reply, int plies);
    // Does the move to `reply` gain at least `goal` within `plies` plies (the move included)?
    bool reaches(const PackedPosition& before, const PackedPosition& reply, int plies, int goal);

    struct Verdict {
        bool puzzle = false;
        int moves = 0;          // legal moves of side 2
        int winners = 0;        // first moves gaining GOAL or more (counted up to two)
        int solution = -1;      // the winning move's index in MoveGenerator's list
        PackedPosition reply;   // the position after it
        int gain = 0;           // what it gains (WIN for the game)
        bool exhausted = false; // the node budget ran out first: undecided, no puzzle
    };
    // Is the position, side 2 to move, a puzzle within `plies` plies?
    Verdict judge(const PackedPosition& position, int plies);
    // The most positions one judge() may search; unlimited unless set.
    void setBudget(long long nodes) { m_budget = nodes; }

    // The shortest number of plies (1 to `plies`) within which the move to `reply` gains at least
    // `goal`, or 0 when it does not within `plies`.
    int solutionLength(const PackedPosition& before, const PackedPosition& reply, int plies,
                       int goal);
    // The line best play follows after side 2's move to `reply`, each side choosing the move of
    // the best value within the plies left, until side 2's gain reaches `goal` in a position
    // whose side to move has no capture, or the game ends, or the plies run out and the position
    // is quiet. The positions after each move, starting with `reply`, each turned for the side to
    // move next.
    std::vector<PackedPosition> line(const PackedPosition& before, const PackedPosition& reply,
                                     int plies, int goal);
    // The best defence: the index, in MoveGenerator's order, of the move of side 2 that leaves
    // side 1 the least within `plies` plies (the move included); `preferred` wins ties when it is
    // one of the best; other ties go to the move that does better within fewer plies (a win
    // sooner, a loss later). -1 when side 2 has no move.
    int bestMove(const PackedPosition& position, int plies, const PackedPosition* preferred);

    long long nodes() const { return m_nodes; }
    void clear();

private:
    static constexpr int INF = WIN + 1;
    struct Entry {
        std::uint32_t check = 0;
        std::int16_t value = 0;
        std::int8_t depth = -1;
        std::uint8_t bound = 0;
        std::uint8_t best = 0;
    };
    enum Bound : std::uint8_t { NONE, LOWER, UPPER, EXACT };

    int search(const PackedPosition& position, int plies, int alpha, int beta);

    MoveGenerator::Rules m_rules;
    MoveGenerator m_generator;
    static constexpr int HISTORY_LIMIT = 1 << 28;
    std::vector<Entry> m_table;
    // Cut-offs by each move, by its squares: the order in which moves are tried, which speeds
    // the search and never changes a value it returns inside its window.
    int m_history[SQUARES][SQUARES] = {};
    std::uint64_t m_mask;
    long long m_nodes = 0;
    long long m_budget = LLONG_MAX / 2;
    long long m_nodeLimit = LLONG_MAX;
    bool m_exhausted = false;
};
