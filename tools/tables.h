#pragma once

#include <string>
#include <vector>

// checkers-cli tables build|probe|verify: makes a rule set's endgame tables, looks a position up
// in them, and checks every stored value against the values its moves lead to.
class Tables
{
public:
    // words: the arguments after "tables". Returns the exit status: 0; 1 when verify finds a
    // wrong value or a damaged file; 2 after a one-line error on standard error.
    static int command(const std::vector<std::string>& words);
};
