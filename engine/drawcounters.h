#pragma once

#include "movegenerator.h"
#include "packedposition.h"

// The counters of the draw rules that count plies, and the draw they bring about, for the game
// and for the search alike. Side-symmetric: a position and the same position turned round give
// the same counts and the same verdict, so the search may keep its positions from the mover's
// side. Repetition is not counted here; it needs the positions themselves.
//
// Russian: 15 moves by each side (30 plies in a row) in which only kings moved and nothing was
// taken; a lone king (its side's only piece) against three or more kings: a draw once 30 plies
// have been played since that balance arose (the count starts again whenever the balance is
// lost); and, where both sides have kings, a balance of forces unchanged (nothing taken, no man
// crowned) for 60 plies with 4 or 5 pieces on the board, or for 120 plies with 6 or 7.
// English: 40 moves by each side (80 plies in a row) in which no man moved and nothing was taken.
// When several rules fall due on the same ply the most specific one is given: three kings
// against one, then the unchanged balance, then kings only.
struct DrawCounters {
    enum class Draw { NONE, THREE_KINGS, BALANCE_30, BALANCE_60, KINGS_ONLY, FORTY_MOVES };
    using Rules = MoveGenerator::Rules;

    static constexpr int KINGS_ONLY_PLIES = 30;
    static constexpr int THREE_KINGS_PLIES = 30;
    static constexpr int FORTY_MOVES_PLIES = 80;
    static constexpr int STRONG_KINGS = 3;
    int quietPlies = 0;     // plies in a row in which no man moved and nothing was taken
    int lonesomePlies = -1; // plies since the three-kings balance arose; -1 without it
    int unchangedPlies = 0; // plies since something was taken or a man was crowned

    // The counts where a game starts in `position`.
    static DrawCounters start(const PackedPosition& position);

    // The counts after a move to `after`. irreversible: a man moved or something was taken;
    // forcesChanged: the pieces of each kind are no longer as many (a capture or a crowning).
    DrawCounters next(Rules rules, bool irreversible, bool forcesChanged,
                      const PackedPosition& after) const;

    // The draw these counts bring about in `position`, or NONE. The side to move must have a
    // move: a side that cannot move has lost, whatever the counts say.
    Draw draw(Rules rules, const PackedPosition& position) const;

    // The fewest plies after which a rule could fall due from here (a rule whose count starts
    // later waits longer).
    int pliesToDraw(Rules rules, const PackedPosition& position) const;

    // One side's only piece is a king and the other side has STRONG_KINGS kings or more.
    static bool lonesome(const PackedPosition& position);

    bool operator==(const DrawCounters& other) const
    {
        return quietPlies == other.quietPlies && lonesomePlies == other.lonesomePlies &&
               unchangedPlies == other.unchangedPlies;
    }
};
