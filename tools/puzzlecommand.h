#pragma once

#include <string>
#include <vector>

// checkers-cli puzzles: makes a puzzle book from Grandmaster's games (--rules, --count, --seed,
// --out; PuzzleMaker), or proves every puzzle of a book again (--verify FILE, optionally only
// --sample N of them spread over the file) and prints each that fails.
class PuzzleCommand
{
public:
    // words: the arguments after "puzzles". The exit status: 0; 1 when a puzzle fails its
    // proof or the book could not be written; 2 after a one-line error on standard error.
    static int command(const std::vector<std::string>& words);
};
