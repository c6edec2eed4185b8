#pragma once

#include "game/colour.h"
#include "game/gamerecord.h"

#include <istream>
#include <string>
#include <vector>

// The starting positions of engine matches: each a position a few moves into the game, with the
// side to move and the moves that lead there. A file of openings holds one a line, a PDN FEN
// string followed by the moves in the rule set's notation; blank lines and lines beginning with
// '#' are comments.
class Openings
{
public:
    struct Opening {
        std::string fen;
        std::string moves;
        Position position{}; // the first mover's pieces at the bottom (engine side 1)
        int sideToMove = 1;
    };

    explicit Openings(int rulesCode);

    // Reads a file of openings; false, with the reason and the line in `error`, when a line is
    // not an opening of this rule set (no legal move for the side to move counts as one too).
    bool read(std::istream& in, std::string& error);
    // Every position reached from the standard start by `plies` legal moves, each once, in the
    // order of the first sequence of moves that reaches it.
    void derive(int plies);

    const std::vector<Opening>& all() const { return m_openings; }
    // The line that writes an opening in a file of openings.
    static std::string line(const Opening& opening);
    // A game of the rule set from the opening, the first mover's pieces at the bottom.
    GameRecord game(const Opening& opening) const;

private:
    void extend(const GameRecord& game, int plies, const std::string& moves);

    int m_rules;
    Colour m_bottom;
    std::vector<Opening> m_openings;
};
