#pragma once

#include "gamemove.h"
#include "gameresult.h"

#include <map>

// The draw rules of a rule set, followed move by move.
//
// Both rule sets: the same position with the same side to move for the third time.
// Russian: 15 moves by each side (30 plies in a row) in which only kings moved and nothing was
// taken; and one side with a lone king (its only piece) against three or more kings of the
// other: a draw once 30 plies have been played since that balance arose without the game being
// won (the count starts again whenever the balance is lost).
// English: 40 moves by each side (80 plies in a row) in which no man moved and nothing was taken.
// A side that cannot move loses; the caller checks that first.
class DrawRules
{
public:
    static constexpr int KINGS_ONLY_PLIES = 30;
    static constexpr int THREE_KINGS_PLIES = 30;
    static constexpr int FORTY_MOVES_PLIES = 80;
    static constexpr int REPETITIONS = 3;
    static constexpr int STRONG_KINGS = 3;

    // The game starts in `start` with `sideToMove` (engine side 1 or 2) to move.
    DrawRules(int rulesCode, const Position& start, int sideToMove);

    // Follows one move; the draw it brings about, or NONE.
    EndReason afterMove(const GameMove& move);

    int quietPlies() const { return m_quietPlies; }
    int balancePlies() const { return m_balancePlies; }

private:
    void seePosition(const Position& position, int sideToMove);
    bool lonesomeBalance(const Position& position) const;

    int m_rules;
    int m_quietPlies = 0;    // plies in a row counting towards KINGS_ONLY or FORTY_MOVES
    int m_balancePlies = -1; // plies since the three-kings balance arose; -1 without it
    int m_lastRepetitions = 0;
    std::map<std::pair<Position, int>, int> m_seen;
};
