#include "ruleset.h"

#include "rules/echeckers.h"
#include "rules/rcheckers.h"

namespace ruleset
{

bool known(int rulesCode)
{
    return rulesCode == ENGLISH || rulesCode == RUSSIAN;
}

std::unique_ptr<Checkers> makeEngine(int rulesCode)
{
    static_assert(ENGLISH == ECheckers::RULES_CODE && RUSSIAN == RCheckers::RULES_CODE);
    if (rulesCode == ENGLISH)
        return std::make_unique<ECheckers>();
    if (rulesCode == RUSSIAN)
        return std::make_unique<RCheckers>();
    return nullptr;
}

Colour firstMover(int rulesCode)
{
    return rulesCode == RUSSIAN ? Colour::White : Colour::Black;
}

Colour side1Colour(int rulesCode, bool humanFirst)
{
    const Colour first = firstMover(rulesCode);
    return humanFirst ? first : other(first);
}

} // namespace ruleset
