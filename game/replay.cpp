#include "replay.h"

#include "ruleset.h"

#include <algorithm>
#include <utility>

namespace
{

const char MISSING_MOVE[] = "...";
const char REPLY_SEPARATOR[] = "  ";

// The position as the other side sees it: turned round, the sides exchanged.
Position turned(const Position& position)
{
    Position seen{};
    for (int square = 0; square < SQUARES; ++square)
        seen[square] = SIDE_SWAP - position[SQUARES - 1 - square];
    return seen;
}

} // namespace

Replay::Replay(GameRecord game, std::size_t ply)
    : m_game(std::move(game)), m_ply(std::min(ply, m_game.moves().size()))
{
}

const Position& Replay::position() const
{
    return atEnd() ? m_game.position() : m_game.moves()[m_ply].before;
}

int Replay::sideToMove() const
{
    return atEnd() ? m_game.sideToMove() : m_game.moves()[m_ply].side;
}

const GameMove* Replay::lastMove() const
{
    return atStart() ? nullptr : &m_game.moves()[m_ply - 1];
}

std::optional<std::size_t> Replay::shownMove() const
{
    if (atStart())
        return std::nullopt;
    return m_ply - 1;
}

int Replay::moveNumberOf(std::size_t move) const
{
    const bool secondMoverStarts =
        m_game.colourOf(m_game.startSide()) != ruleset::firstMover(m_game.rules());
    return 1 + static_cast<int>((move + (secondMoverStarts ? 1 : 0)) / 2);
}

std::string Replay::markOf(std::size_t move) const
{
    return m_analysis ? Analysis::markText(m_analysis->verdict(move).mark) : "";
}

Replay::Status Replay::status() const
{
    Status status;
    status.ply = m_ply;
    status.plies = plies();
    const std::optional<std::size_t> move = shownMove();
    if (!move)
        return status;
    status.moveNumber = moveNumberOf(*move);
    status.reply =
        m_game.colourOf(m_game.moves()[*move].side) != ruleset::firstMover(m_game.rules());
    status.move = m_game.moveText(*move);
    status.mark = markOf(*move);
    if (!status.mark.empty())
        status.better = m_analysis->verdict(*move).best;
    return status;
}

std::vector<std::string> Replay::rows() const
{
    const Colour firstMover = ruleset::firstMover(m_game.rules());
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < plies(); ++i) {
        const std::string text = m_game.moveText(i) + markOf(i);
        if (m_game.colourOf(m_game.moves()[i].side) == firstMover) {
            rows.push_back(std::to_string(moveNumberOf(i)) + ". " + text);
            continue;
        }
        if (rows.empty())
            rows.push_back(std::to_string(moveNumberOf(i)) + ". " + MISSING_MOVE);
        rows.back() += REPLY_SEPARATOR + text;
    }
    return rows;
}

bool Replay::back()
{
    if (atStart())
        return false;
    --m_ply;
    return true;
}

bool Replay::forward()
{
    if (atEnd())
        return false;
    ++m_ply;
    return true;
}

void Replay::show(std::size_t ply)
{
    m_ply = std::min(ply, plies());
}

bool Replay::nextMark()
{
    if (!m_analysis)
        return false;
    const std::optional<std::size_t> mark = m_analysis->nextMark(shownMove());
    if (mark)
        m_ply = *mark + 1;
    return mark.has_value();
}

bool Replay::previousMark()
{
    if (!m_analysis)
        return false;
    const std::optional<std::size_t> mark = m_analysis->previousMark(shownMove());
    if (mark)
        m_ply = *mark + 1;
    return mark.has_value();
}

std::optional<GameRecord> Replay::playFromHere() const
{
    const int side = sideToMove();
    // The person takes the side to move, at the bottom of the board: side 1 of the new game.
    GameRecord game(m_game.rules(), m_game.colourOf(side),
                    side == 1 ? position() : turned(position()), 1);
    if (game.over())
        return std::nullopt;
    return game;
}

void Replay::startAnalysis()
{
    m_analysis.emplace(m_game);
}
