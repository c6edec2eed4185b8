#pragma once

#include <string>
#include <vector>

// checkers-cli analyse: where a game of a PDN file was lost, a line a move, judged as the
// replay's analysis judges it.
class AnalyseCommand
{
public:
    // words: the arguments after "analyse". Returns the exit status: 0, or 2 after a one-line
    // error on standard error.
    static int command(const std::vector<std::string>& words);
};
