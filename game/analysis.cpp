#include "analysis.h"

#include "engine/checkers.h"
#include "engine/timedsearch.h"
#include "legalmoves.h"
#include "ruleset.h"

#include <memory>

namespace
{

// What the end of the game is worth to the side to move there.
int finalValue(const GameRecord& game)
{
    if (game.result() == GameResult::DRAW)
        return 0;
    const Colour winner = game.result() == GameResult::WHITE_WINS ? Colour::White : Colour::Black;
    return game.colourToMove() == winner ? TimedSearch::WIN : -TimedSearch::WIN;
}

} // namespace

Analysis::Analysis(const GameRecord& game) : m_game(game)
{
    const std::vector<GameMove>& moves = m_game.moves();
    const std::size_t plies = moves.size();
    m_found.resize(plies + 1);
    m_bestText.resize(plies + 1);
    m_forced.resize(plies + 1, false);
    m_verdicts.resize(plies);
    const std::unique_ptr<Checkers> scratch = ruleset::makeEngine(m_game.rules());
    for (std::size_t ply = 0; ply <= plies; ++ply) {
        const bool last = ply == plies;
        if (last && m_game.over())
            break;
        const Position& position = last ? m_game.position() : moves[ply].before;
        const int side = last ? m_game.sideToMove() : moves[ply].side;
        m_forced[ply] = LegalMoves(*scratch, position, side).all().size() == 1;
        // A single move needs no search unless nothing after it tells what it is worth.
        if (!m_forced[ply] || last)
            m_requests.push_back(Request{ply, m_game.rules(), position, side});
    }
    judge();
}

const char* Analysis::markText(Mark mark)
{
    switch (mark) {
    case Mark::MISTAKE:
        return "?";
    case Mark::BLUNDER:
        return "??";
    case Mark::NONE:
        break;
    }
    return "";
}

std::optional<Analysis::Request> Analysis::next() const
{
    if (finished())
        return std::nullopt;
    return m_requests[m_done];
}

bool Analysis::feed(const Request& request, const Found& found)
{
    const std::optional<Request> expected = next();
    if (!expected || expected->ply != request.ply || expected->position != request.position ||
        expected->side != request.side)
        return false;
    const std::unique_ptr<Checkers> scratch = ruleset::makeEngine(m_game.rules());
    const LegalMoves legal(*scratch, request.position, request.side);
    if (const GameMove* best = legal.leadingTo(found.bestAfter))
        m_bestText[request.ply] = m_game.notation().moveText(*best, legal.needsLandings(*best));
    m_found[request.ply] = found;
    ++m_done;
    judge();
    return true;
}

std::optional<int> Analysis::valueAt(std::size_t ply) const
{
    const std::size_t plies = m_game.moves().size();
    int sign = 1;
    for (; ply <= plies; ++ply) {
        if (ply == plies && m_game.over())
            return sign * finalValue(m_game);
        if (m_found[ply])
            return sign * m_found[ply]->value;
        if (!m_forced[ply] || ply == plies)
            return std::nullopt;
        // The single move's worth is the next position's, seen from the other side.
        sign = -sign;
    }
    return std::nullopt;
}

void Analysis::judge()
{
    const std::vector<GameMove>& moves = m_game.moves();
    for (std::size_t move = 0; move < moves.size(); ++move) {
        Verdict& verdict = m_verdicts[move];
        const std::optional<int> after = valueAt(move + 1);
        if (!after || (!m_forced[move] && !m_found[move])) {
            verdict = Verdict{};
            continue;
        }
        verdict.judged = true;
        verdict.value = -*after;
        verdict.mark = Mark::NONE;
        if (m_forced[move] || m_found[move]->bestAfter == moves[move].after) {
            // The move played was the best one found: the deeper look after it is what it is worth.
            verdict.bestValue = verdict.value;
            verdict.best = m_game.moveText(move);
            continue;
        }
        verdict.bestValue = m_found[move]->value;
        verdict.best = m_bestText[move];
        const int lost = verdict.bestValue - verdict.value;
        const bool winThrownAway =
            verdict.bestValue > TimedSearch::PROVEN && verdict.value <= TimedSearch::PROVEN;
        if (lost >= BLUNDER || winThrownAway)
            verdict.mark = Mark::BLUNDER;
        else if (lost >= MISTAKE)
            verdict.mark = Mark::MISTAKE;
    }
}

std::optional<std::size_t> Analysis::nextMark(std::optional<std::size_t> move) const
{
    for (std::size_t i = move ? *move + 1 : 0; i < m_verdicts.size(); ++i) {
        if (m_verdicts[i].mark != Mark::NONE)
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> Analysis::previousMark(std::optional<std::size_t> move) const
{
    for (std::size_t i = move ? std::min(*move, m_verdicts.size()) : m_verdicts.size(); i > 0;
         --i) {
        if (m_verdicts[i - 1].mark != Mark::NONE)
            return i - 1;
    }
    return std::nullopt;
}
