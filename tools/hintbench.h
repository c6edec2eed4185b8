#pragma once

#include <string>
#include <vector>

// checkers-cli hint: times the hint as the board asks for it, on a file of positions at one
// level. Each position is given to the person at the keys to move (turned round, so that the
// search faces it as the computer would), the hint's engine is made once for all of them, and for
// each the search and the naming of its move are timed. Prints a line per position and the median
// and the worst time.
class HintBench
{
public:
    // words: the arguments after "hint". Returns the exit status: 0, or 2 after a one-line error
    // on standard error.
    static int command(const std::vector<std::string>& words);
};
