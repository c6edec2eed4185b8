#pragma once

#include "gamemove.h"
#include "gameresult.h"

#include "engine/drawcounters.h"

#include <map>

// The draw rules of a rule set, followed move by move.
//
// Both rule sets: the same position with the same side to move for the third time.
// Russian: 15 moves by each side (30 plies in a row) in which only kings moved and nothing was
// taken; one side with a lone king (its only piece) against three or more kings of the other: a
// draw once 30 plies have been played since that balance arose without the game being won (the
// count starts again whenever the balance is lost); and, in an ending where both sides have
// kings, a balance of forces that has not changed (nothing taken, no man crowned) for 30 moves
// by each side (60 plies) with 4 or 5 pieces on the board, or for 60 moves by each side (120
// plies) with 6 or 7.
// English: 40 moves by each side (80 plies in a row) in which no man moved and nothing was taken.
// A side that cannot move loses; the caller checks that first. When several rules end the game on
// the same ply, the most specific one is given: repetition, then three kings against one, then
// the unchanged balance, then kings only. The counts are DrawCounters', which the search keeps too.
class DrawRules
{
public:
    static constexpr int KINGS_ONLY_PLIES = DrawCounters::KINGS_ONLY_PLIES;
    static constexpr int THREE_KINGS_PLIES = DrawCounters::THREE_KINGS_PLIES;
    static constexpr int FORTY_MOVES_PLIES = DrawCounters::FORTY_MOVES_PLIES;
    static constexpr int REPETITIONS = 3;
    static constexpr int STRONG_KINGS = DrawCounters::STRONG_KINGS;

    // The game starts in `start` with `sideToMove` (engine side 1 or 2) to move.
    DrawRules(int rulesCode, const Position& start, int sideToMove);

    // Follows one move; the draw it brings about, or NONE.
    EndReason afterMove(const GameMove& move);

    int quietPlies() const { return m_counters.quietPlies; }
    int lonesomePlies() const { return m_counters.lonesomePlies; }
    int unchangedPlies() const { return m_counters.unchangedPlies; }

private:
    // The pieces of each kind on the board: men and kings of side 1, then of side 2. Their
    // counts change only when something is taken or a man is crowned.
    struct Forces {
        int men1 = 0;
        int kings1 = 0;
        int men2 = 0;
        int kings2 = 0;

        bool operator==(const Forces& other) const
        {
            return men1 == other.men1 && kings1 == other.kings1 && men2 == other.men2 &&
                   kings2 == other.kings2;
        }
    };
    static Forces forcesOf(const Position& position);

    void seePosition(const Position& position, int sideToMove);

    int m_rules;
    DrawCounters m_counters;
    Forces m_forces; // of the position after the last move
    int m_lastRepetitions = 0;
    std::map<std::pair<Position, int>, int> m_seen;
};
