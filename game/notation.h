#pragma once

#include "colour.h"
#include "gamemove.h"

#include <optional>
#include <string>
#include <vector>

// The standard notation of a rule set, whichever colour is at the bottom of the screen.
// English: squares 1 to 32 numbered from Black's side (1-4 on Black's home row), Black moves
// first. Russian: a1 to h8, White's men starting on rows 1 to 3, White moves first. A move is
// written with "-" and a capture with "x" between its squares.
class Notation
{
public:
    // A move as written: start, the landing squares listed between, final square.
    struct MoveText {
        int from = -1;
        std::vector<int> landings; // listed landing squares before the final one
        int to = -1;
        bool capture = false;
    };
    // A position as a PDN FEN string gives it.
    struct Fen {
        Position position{};
        Colour toMove = Colour::White;
    };

    // bottom: the colour of side 1, at the bottom of the screen.
    Notation(int rulesCode, Colour bottom);

    int rules() const { return m_rules; }
    Colour bottom() const { return m_bottom; }

    // The name of engine square 0..31: "1".."32" or "a1".."h8".
    std::string squareName(int square) const;
    // The engine square of a name, or -1 for a text that names no dark square.
    int square(const std::string& name) const;

    // A move's text; withLandings lists every landing square of a capture, otherwise only its
    // start and final square. A capture that ends on its start square always lists them all.
    std::string moveText(const GameMove& move, bool withLandings) const;
    // Reads a move text ("-", "x" or ":" between squares); nullopt when it is not one.
    std::optional<MoveText> parseMove(const std::string& text) const;

    // The PDN FEN string of a position: side to move, then White's and Black's squares, kings
    // prefixed with K, e.g. "W:W21,K30:B5,9".
    std::string fen(const Position& position, Colour toMove) const;
    // Reads a FEN string (ranges such as "1-12" accepted for English); nullopt when unreadable.
    std::optional<Fen> parseFen(const std::string& text) const;

private:
    int standardIndex(int square) const; // 0..31 in the notation's own order

    int m_rules;
    Colour m_bottom;
};
