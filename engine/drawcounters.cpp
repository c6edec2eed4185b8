#include "drawcounters.h"

namespace
{

// The endings of the unchanged-balance rule: so many pieces in all, so many plies.
struct BalanceRule {
    int fewestPieces;
    int mostPieces;
    int plies;
    DrawCounters::Draw draw;
};
constexpr BalanceRule BALANCE_RULES[] = {
    {4, 5, 60, DrawCounters::Draw::BALANCE_30},
    {6, 7, 120, DrawCounters::Draw::BALANCE_60},
};

int count(std::uint32_t set)
{
    return __builtin_popcount(set);
}

// The balance rule for this ending, or null: it needs kings on both sides.
const BalanceRule* balanceRuleFor(const PackedPosition& position)
{
    if ((position.side1 & position.kings) == 0 || (position.side2 & position.kings) == 0)
        return nullptr;
    const int pieces = count(position.side1 | position.side2);
    for (const BalanceRule& rule : BALANCE_RULES) {
        if (pieces >= rule.fewestPieces && pieces <= rule.mostPieces)
            return &rule;
    }
    return nullptr;
}

} // namespace

DrawCounters DrawCounters::start(const PackedPosition& position)
{
    DrawCounters counters;
    if (lonesome(position))
        counters.lonesomePlies = 0;
    return counters;
}

// Men besides the strong side's kings do not matter.
bool DrawCounters::lonesome(const PackedPosition& position)
{
    const auto loneKing = [&](std::uint32_t side) {
        return count(side) == 1 && (side & position.kings) != 0;
    };
    return (loneKing(position.side1) && count(position.side2 & position.kings) >= STRONG_KINGS) ||
           (loneKing(position.side2) && count(position.side1 & position.kings) >= STRONG_KINGS);
}

DrawCounters DrawCounters::next(Rules rules, bool irreversible, bool forcesChanged,
                                const PackedPosition& after) const
{
    DrawCounters counters;
    counters.quietPlies = irreversible ? 0 : quietPlies + 1;
    counters.unchangedPlies = forcesChanged ? 0 : unchangedPlies + 1;
    // From -1, the balance arising now, to 0.
    counters.lonesomePlies = rules == Rules::RUSSIAN && lonesome(after) ? lonesomePlies + 1 : -1;
    return counters;
}

DrawCounters::Draw DrawCounters::draw(Rules rules, const PackedPosition& position) const
{
    if (rules == Rules::ENGLISH)
        return quietPlies >= FORTY_MOVES_PLIES ? Draw::FORTY_MOVES : Draw::NONE;
    if (lonesomePlies >= THREE_KINGS_PLIES)
        return Draw::THREE_KINGS;
    if (const BalanceRule* rule = balanceRuleFor(position)) {
        if (unchangedPlies >= rule->plies)
            return rule->draw;
    }
    if (quietPlies >= KINGS_ONLY_PLIES)
        return Draw::KINGS_ONLY;
    return Draw::NONE;
}

int DrawCounters::pliesToDraw(Rules rules, const PackedPosition& position) const
{
    if (rules == Rules::ENGLISH)
        return FORTY_MOVES_PLIES - quietPlies;
    int fewest = KINGS_ONLY_PLIES - quietPlies;
    if (lonesomePlies >= 0 && THREE_KINGS_PLIES - lonesomePlies < fewest)
        fewest = THREE_KINGS_PLIES - lonesomePlies;
    // Kings crowned later start the balance's count afresh; a capture changes the ending.
    if (const BalanceRule* rule = balanceRuleFor(position)) {
        if (rule->plies - unchangedPlies < fewest)
            fewest = rule->plies - unchangedPlies;
    }
    return fewest;
}
