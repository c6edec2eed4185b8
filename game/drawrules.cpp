#include "drawrules.h"

#include "ruleset.h"

namespace
{

// The endings of the unchanged-balance rule: so many pieces in all, so many plies.
struct BalanceRule {
    int fewestPieces;
    int mostPieces;
    int plies;
    EndReason reason;
};
constexpr BalanceRule BALANCE_RULES[] = {
    {4, 5, 60, EndReason::BALANCE_30},
    {6, 7, 120, EndReason::BALANCE_60},
};

} // namespace

DrawRules::DrawRules(int rulesCode, const Position& start, int sideToMove)
    : m_rules(rulesCode), m_forces(forcesOf(start))
{
    seePosition(start, sideToMove);
    if (lonesome(m_forces))
        m_lonesomePlies = 0;
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

// Men besides the strong side's kings do not matter.
bool DrawRules::lonesome(const Forces& forces)
{
    const bool lone1 = forces.men1 == 0 && forces.kings1 == 1;
    const bool lone2 = forces.men2 == 0 && forces.kings2 == 1;
    return (lone1 && forces.kings2 >= STRONG_KINGS) || (lone2 && forces.kings1 >= STRONG_KINGS);
}

void DrawRules::seePosition(const Position& position, int sideToMove)
{
    m_lastRepetitions = ++m_seen[{position, sideToMove}];
}

EndReason DrawRules::unchangedBalance() const
{
    if (m_forces.kings1 == 0 || m_forces.kings2 == 0)
        return EndReason::NONE;
    const int pieces = m_forces.men1 + m_forces.kings1 + m_forces.men2 + m_forces.kings2;
    for (const BalanceRule& rule : BALANCE_RULES) {
        if (pieces >= rule.fewestPieces && pieces <= rule.mostPieces &&
            m_unchangedPlies >= rule.plies)
            return rule.reason;
    }
    return EndReason::NONE;
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

    // A capture or a crowning changes the counts of the pieces; nothing else does.
    const Forces forces = forcesOf(move.after);
    if (forces == m_forces)
        ++m_unchangedPlies;
    else
        m_unchangedPlies = 0;
    m_forces = forces;

    const bool russian = m_rules == ruleset::RUSSIAN;
    if (russian && lonesome(forces))
        ++m_lonesomePlies; // from -1, the balance arising now, to 0
    else
        m_lonesomePlies = -1;

    if (m_lastRepetitions >= REPETITIONS)
        return EndReason::REPETITION;
    if (!russian)
        return m_quietPlies >= FORTY_MOVES_PLIES ? EndReason::FORTY_MOVES : EndReason::NONE;
    if (m_lonesomePlies >= THREE_KINGS_PLIES)
        return EndReason::THREE_KINGS;
    const EndReason balance = unchangedBalance();
    if (balance != EndReason::NONE)
        return balance;
    if (m_quietPlies >= KINGS_ONLY_PLIES)
        return EndReason::KINGS_ONLY;
    return EndReason::NONE;
}
