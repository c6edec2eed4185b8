#pragma once

#include "colour.h"
#include "engine/checkers.h"

#include <memory>

// The rule sets the game plays, by their PDN GameType codes.
namespace ruleset
{

constexpr int ENGLISH = 21;
constexpr int RUSSIAN = 25;

// True for ENGLISH and RUSSIAN.
bool known(int rulesCode);
// A fresh engine of the rule set (at the starting position), or null for an unknown code.
std::unique_ptr<Checkers> makeEngine(int rulesCode);
// The colour that moves first: White under Russian rules, Black under English rules.
Colour firstMover(int rulesCode);
// The colour of side 1 (the person at the keys, at the bottom): the first mover when the person
// moves first, the other colour otherwise.
Colour side1Colour(int rulesCode, bool humanFirst);

} // namespace ruleset
