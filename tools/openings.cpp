#include "openings.h"

#include "game/notation.h"
#include "game/ruleset.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace
{

constexpr std::size_t MAX_LINE = 4096;        // longer lines are not openings
constexpr std::size_t MAX_OPENINGS = 1 << 16; // a file beyond this is not a set of openings

} // namespace

Openings::Openings(int rulesCode) : m_rules(rulesCode), m_bottom(ruleset::firstMover(rulesCode)) {}

bool Openings::read(std::istream& in, std::string& error)
{
    const Notation notation(m_rules, m_bottom);
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (text.size() > MAX_LINE) {
            error = where + "too long for an opening";
            return false;
        }
        const std::size_t start = text.find_first_not_of(" \t\r");
        if (start == std::string::npos || text[start] == '#')
            continue;
        std::istringstream words(text.substr(start));
        Opening opening;
        words >> opening.fen;
        std::getline(words >> std::ws, opening.moves);
        // What follows '#' is a comment, such as the analysis of the opening.
        opening.moves = opening.moves.substr(0, opening.moves.find('#'));
        while (!opening.moves.empty() &&
               std::isspace(static_cast<unsigned char>(opening.moves.back())))
            opening.moves.pop_back();
        const std::optional<Notation::Fen> fen = notation.parseFen(opening.fen);
        if (!fen) {
            error = where + "'" + opening.fen + "' is not a FEN position";
            return false;
        }
        opening.position = fen->position;
        opening.sideToMove = fen->toMove == m_bottom ? 1 : 2;
        if (game(opening).over()) {
            error = where + "the side to move has no legal move";
            return false;
        }
        if (m_openings.size() == MAX_OPENINGS) {
            error = where + "more than " + std::to_string(MAX_OPENINGS) + " openings";
            return false;
        }
        m_openings.push_back(opening);
    }
    if (m_openings.empty()) {
        error = "no opening in the file";
        return false;
    }
    return true;
}

void Openings::derive(int plies)
{
    m_openings.clear();
    extend(GameRecord(m_rules, m_bottom), plies, "");
}

void Openings::extend(const GameRecord& game, int plies, const std::string& moves)
{
    if (plies == 0 || game.over()) {
        const Position& position = game.position();
        const int side = game.sideToMove();
        const bool known = std::any_of(m_openings.begin(), m_openings.end(), [&](const Opening& o) {
            return o.position == position && o.sideToMove == side;
        });
        if (!known) {
            const std::string fen = game.notation().fen(position, game.colourToMove());
            m_openings.push_back({fen, moves, position, side});
        }
        return;
    }
    for (const GameMove& move : game.legalMoves().all()) {
        GameRecord next = game;
        next.play(move);
        const std::string text = next.moveText(next.moves().size() - 1);
        extend(next, plies - 1, moves.empty() ? text : moves + ' ' + text);
    }
}

std::string Openings::line(const Opening& opening)
{
    return opening.fen + ' ' + opening.moves;
}

GameRecord Openings::game(const Opening& opening) const
{
    return GameRecord(m_rules, m_bottom, opening.position, opening.sideToMove);
}
