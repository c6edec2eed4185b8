#pragma once

#include "packedposition.h"

#include <cstdint>

// The moves of side 2 in a packed position, made on bit sets instead of the 54-cell board: the
// same set of complete moves as the rule set's search generators make (captures only while one
// exists, a capture sequence carried on as far as the rules demand, jumped pieces blocking until
// the sequence is over), with a capture reached by several routes given once. Their order is
// this class's own and stable for a position; the search's root, which must meet the moves in
// the generators' order, does not use it.
class MoveGenerator
{
public:
    enum class Rules { ENGLISH, RUSSIAN };

    struct Move {
        PackedPosition reply; // the position after the move, turned round for the opponent
        int jumps;
        std::uint8_t from; // the moving piece's squares, before and after
        std::uint8_t to;
    };
    static constexpr int CAPACITY = 255;
    // One position's moves; overflow tells that some did not fit (the list is then incomplete).
    struct List {
        Move moves[CAPACITY];
        int count = 0;
        bool overflow = false;
    };
    // What horizon() returns for a side without any move.
    static constexpr int NO_MOVE = -1;

    void setRules(Rules rules) { m_rules = rules; }

    void generate(const PackedPosition& position, List& list) const;
    // The most pieces a capture jumps, 0 when side 2 has only simple moves, NO_MOVE when none:
    // exactly when that is below `enough`, otherwise some number from `enough` up to it.
    int horizon(const PackedPosition& position, int enough) const;
    bool hasCapture(const PackedPosition& position) const;

private:
    // A capture sequence in progress: the pieces it may still jump and where it may land.
    struct Walk {
        PackedPosition before;
        std::uint32_t start; // the moving piece's square, left free
        std::uint32_t empty; // free squares, the start among them
        List* list;          // null: only the most jumps are wanted
        int mostJumps;
        int enough; // without a list: stop once a capture jumps so many
    };

    bool startCapture(Walk& walk, int square) const;
    bool manCapture(Walk& walk, int square, std::uint32_t taken, int jumps) const;
    bool kingCapture(Walk& walk, int square, std::uint32_t taken, int jumps,
                     unsigned directions) const;
    void finishCapture(Walk& walk, int square, bool king, std::uint32_t taken, int jumps) const;
    bool hasSimpleMove(const PackedPosition& position) const;
    void generateSimple(const PackedPosition& position, List& list) const;
    void addSimple(const PackedPosition& turned, int from, int to, bool king, List& list) const;

    Rules m_rules = Rules::ENGLISH;
};
