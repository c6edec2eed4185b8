#pragma once

#include <string>
#include <vector>

// checkers-cli games: the games list as the game builds it, a line a game, so that its speed and
// memory can be measured on a file of any size and its verdicts read by tests; and, with
// --random N, a file of N random games to measure it on.
class GamesCommand
{
public:
    // words: the arguments after "games". Returns the exit status: 0; 1 when a file could not
    // be read (said on standard error); 2 after a one-line usage error.
    static int command(const std::vector<std::string>& words);
};
