#include "drawrules.h"

#include "ruleset.h"

namespace
{

// A Position is its squares' values in square order: square s is "cell" s.
constexpr int IDENTITY_CELLS[SQUARES] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                         11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                         22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

PackedPosition packed(const Position& position)
{
    return PackedPosition::fromCells(position.data(), IDENTITY_CELLS);
}

MoveGenerator::Rules rulesOf(int rulesCode)
{
    return rulesCode == ruleset::RUSSIAN ? MoveGenerator::Rules::RUSSIAN
                                         : MoveGenerator::Rules::ENGLISH;
}

EndReason reasonOf(DrawCounters::Draw draw)
{
    switch (draw) {
    case DrawCounters::Draw::THREE_KINGS:
        return EndReason::THREE_KINGS;
    case DrawCounters::Draw::BALANCE_30:
        return EndReason::BALANCE_30;
    case DrawCounters::Draw::BALANCE_60:
        return EndReason::BALANCE_60;
    case DrawCounters::Draw::KINGS_ONLY:
        return EndReason::KINGS_ONLY;
    case DrawCounters::Draw::FORTY_MOVES:
        return EndReason::FORTY_MOVES;
    case DrawCounters::Draw::NONE:
        break;
    }
    return EndReason::NONE;
}

} // namespace

DrawRules::DrawRules(int rulesCode, const Position& start, int sideToMove)
    : m_rules(rulesCode), m_counters(DrawCounters::start(packed(start))), m_forces(forcesOf(start))
{
    seePosition(start, sideToMove);
}

DrawRules::Forces DrawRules::forcesOf(const Position& position)
{
    Forces forces;
    for (int value : position) {
        forces.men1 += value == MAN1;
        forces.kings1 += value == KING1;
        forces.men2 += value == MAN2;
        forces.kings2 += value == KING2;
    }
    return forces;
}

void DrawRules::seePosition(const Position& position, int sideToMove)
{
    m_lastRepetitions = ++m_seen[{position, sideToMove}];
}

EndReason DrawRules::afterMove(const GameMove& move)
{
    const int next = move.side == 1 ? 2 : 1;
    seePosition(move.after, next);

    // A capture or a crowning changes the counts of the pieces; nothing else does.
    const Forces forces = forcesOf(move.after);
    const bool forcesChanged = !(forces == m_forces);
    m_forces = forces;
    const PackedPosition after = packed(move.after);
    m_counters =
        m_counters.next(rulesOf(m_rules), move.isCapture() || move.manMoved, forcesChanged, after);
    if (m_lastRepetitions >= REPETITIONS)
        return EndReason::REPETITION;
    return reasonOf(m_counters.draw(rulesOf(m_rules), after));
}
