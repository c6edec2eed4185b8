#pragma once

#include <string>
#include <vector>

// checkers-cli convert: how well Grandmaster finishes a kings-only ending. From seeded random
// positions of the material, Grandmaster (side 2, to move) plays against the endgame tables'
// best defence under the game's own draw rules; the tables also tell which positions are won
// and which drawn. Prints a line per game and the share of won positions converted and of drawn
// ones held.
class Convert
{
public:
    // words: the arguments after "convert". Returns the exit status: 0, or 2 after a one-line
    // error on standard error.
    static int command(const std::vector<std::string>& words);
};
