#pragma once

#include <string>
#include <vector>

class GameRecord;

// The moves of a game as a person reads them: a row per move number, in standard notation, the
// first mover's move and then the reply of the other colour, two spaces apart
// ("12. c3-d4  f6xd4"). A game whose first move is the second mover's begins with "1. ..." in
// place of the move it lacks; the last row may hold one move.
class MoveList
{
public:
    static std::vector<std::string> rows(const GameRecord& record);
};
