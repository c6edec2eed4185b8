#pragma once

#include "engine/position.h"
#include "game/ruleset.h"

#include <memory>
#include <string>

// Russian positions, side 2 to move, in which two captures share their start and final square
// but take different pieces: a man that goes on as a king, and a king. Such positions are rare
// in play (a few in 20,000 random ones), so the tests keep these two.
namespace sharedends
{

inline const char* const POSITIONS[] = {
    "3 3 3 3 3 3 3 3 3 1 3 3 3 5 3 3 1 1 1 3 3 3 3 3 1 1 3 3 3 3 3 3 ",
    "2 3 3 3 3 3 3 3 3 1 3 3 1 3 3 1 1 3 3 3 3 1 3 3 1 3 1 3 1 3 3 4 ",
};

inline Position russianPosition(const std::string& text)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(ruleset::RUSSIAN);
    engine->fromString(text);
    return positionOf(*engine);
}

} // namespace sharedends
