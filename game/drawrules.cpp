#include "drawrules.h"

#include "ruleset.h"

namespace
{

struct Force {
    int men = 0;
    int kings = 0;
};

Force forceOf(const Position& position, int man, int king)
{
    Force force;
    for (int value : position) {
        if (value == man)
            ++force.men;
        else if (value == king)
            ++force.kings;
    }
    return force;
}

} // namespace

DrawRules::DrawRules(int rulesCode, const Position& start, int sideToMove) : m_rules(rulesCode)
{
    seePosition(start, sideToMove);
    if (lonesomeBalance(start))
        m_balancePlies = 0;
}

void DrawRules::seePosition(const Position& position, int sideToMove)
{
    m_lastRepetitions = ++m_seen[{position, sideToMove}];
}

// One side's only piece is a king and the other side has three or more kings (men besides
// them do not matter).
bool DrawRules::lonesomeBalance(const Position& position) const
{
    const Force one = forceOf(position, MAN1, KING1);
    const Force two = forceOf(position, MAN2, KING2);
    const auto lone = [](const Force& force) { return force.men == 0 && force.kings == 1; };
    return (lone(one) && two.kings >= STRONG_KINGS) || (lone(two) && one.kings >= STRONG_KINGS);
}

EndReason DrawRules::afterMove(const GameMove& move)
{
    const int next = move.side == 1 ? 2 : 1;
    seePosition(move.after, next);

    // Kings-only (Russian) and forty-moves (English) count the same plies: no man moved and
    // nothing was taken.
    if (move.isCapture() || move.manMoved)
        m_quietPlies = 0;
    else
        ++m_quietPlies;

    const bool russian = m_rules == ruleset::RUSSIAN;
    if (russian && lonesomeBalance(move.after))
        ++m_balancePlies; // from -1, the balance arising now, to 0
    else
        m_balancePlies = -1;

    if (m_lastRepetitions >= REPETITIONS)
        return EndReason::REPETITION;
    if (russian && m_quietPlies >= KINGS_ONLY_PLIES)
        return EndReason::KINGS_ONLY;
    if (!russian && m_quietPlies >= FORTY_MOVES_PLIES)
        return EndReason::FORTY_MOVES;
    if (m_balancePlies >= THREE_KINGS_PLIES)
        return EndReason::THREE_KINGS;
    return EndReason::NONE;
}
