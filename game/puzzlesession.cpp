#include "puzzlesession.h"

#include <algorithm>

namespace
{

constexpr int SOLVER = 1;
constexpr int DEFENDER = 2;

} // namespace

PuzzleSession::PuzzleSession(const Puzzle& puzzle)
    : m_puzzle(puzzle), m_record(puzzle.record().rules(), puzzle.record().side1Colour(),
                                 puzzle.record().start(), SOLVER),
      m_search(Puzzle::generatorRules(puzzle.record().rules()), TABLE_BITS),
      m_startBalance(m_search.material(Puzzle::packed(puzzle.record().start(), SOLVER)))
{
}

int PuzzleSession::gain() const
{
    return m_search.material(Puzzle::packed(m_record.position(), SOLVER)) - m_startBalance;
}

bool PuzzleSession::answerDue() const
{
    return !m_solved && !m_record.over() && m_record.sideToMove() == DEFENDER;
}

int PuzzleSession::pliesLeft() const
{
    const int budget = std::max(ProofSearch::PROOF_PLIES, m_puzzle.plies());
    return std::max(1, budget - static_cast<int>(m_record.moves().size()));
}

bool PuzzleSession::onLine() const
{
    const std::vector<GameMove>& line = m_puzzle.record().moves();
    const std::vector<GameMove>& played = m_record.moves();
    if (played.size() > line.size())
        return false;
    for (std::size_t i = 0; i < played.size(); ++i) {
        if (played[i].after != line[i].after)
            return false;
    }
    return true;
}

const GameMove* PuzzleSession::lineMove() const
{
    const std::vector<GameMove>& line = m_puzzle.record().moves();
    const std::size_t ply = m_record.moves().size();
    return onLine() && ply < line.size() ? &line[ply] : nullptr;
}

bool PuzzleSession::isSolution(const GameMove& move)
{
    const GameMove* stored = lineMove();
    if (stored && stored->after == move.after)
        return true;
    const int won = gain();
    const int goal = m_puzzle.goal() >= ProofSearch::WIN ? ProofSearch::WIN : m_puzzle.goal() - won;
    const PackedPosition before = Puzzle::packed(m_record.position(), SOLVER);
    if (m_search.reaches(before, Puzzle::packed(move.after, DEFENDER), pliesLeft(), goal))
        return true;
    // Where no move is proved to win within the plies left (a person's own problem, longer than
    // the search looks), the search's best move is the solution, as the hint gives it.
    for (const GameMove& other : m_record.legalMoves().all()) {
        if (m_search.reaches(before, Puzzle::packed(other.after, DEFENDER), pliesLeft(), goal))
            return false;
    }
    const std::optional<GameMove> best = hint();
    return best && best->after == move.after;
}

PuzzleSession::Result PuzzleSession::play(const GameMove& move)
{
    Result result;
    if (m_solved || m_record.over() || m_record.sideToMove() != SOLVER)
        return result;
    const bool solution = isSolution(move);
    if (!m_record.play(move))
        return result;
    if (solution) {
        judgeSolved();
        result.outcome = m_solved ? Outcome::SOLVED : Outcome::CONTINUE;
        return result;
    }
    result.outcome = Outcome::NOT_SOLUTION;
    if (!m_record.over()) {
        if (const std::optional<GameMove> reply = defence()) {
            m_record.play(*reply);
            result.refutation = reply;
        }
    }
    m_record.undo();
    return result;
}

std::optional<GameMove> PuzzleSession::defence()
{
    const GameMove* stored = lineMove();
    const PackedPosition position = Puzzle::packed(m_record.position(), DEFENDER);
    std::optional<PackedPosition> preferred;
    if (stored)
        preferred = Puzzle::packed(stored->after, SOLVER);
    const int index = m_search.bestMove(position, pliesLeft(), preferred ? &*preferred : nullptr);
    if (index < 0)
        return std::nullopt;
    MoveGenerator generator;
    generator.setRules(m_search.rules());
    MoveGenerator::List list;
    generator.generate(position, list);
    const GameMove* move =
        m_record.legalMoves().leadingTo(Puzzle::unpacked(list.moves[index].reply, SOLVER));
    return move ? std::optional<GameMove>(*move) : std::nullopt;
}

std::optional<GameMove> PuzzleSession::answer()
{
    if (!answerDue())
        return std::nullopt;
    const std::optional<GameMove> reply = defence();
    if (!reply || !m_record.play(*reply))
        return std::nullopt;
    judgeSolved();
    return reply;
}

std::optional<GameMove> PuzzleSession::hint()
{
    if (m_solved || m_record.over() || m_record.sideToMove() != SOLVER)
        return std::nullopt;
    if (const GameMove* stored = lineMove())
        return *stored;
    const PackedPosition position = Puzzle::packed(m_record.position(), SOLVER);
    const int index = m_search.bestMove(position, pliesLeft(), nullptr);
    if (index < 0)
        return std::nullopt;
    MoveGenerator generator;
    generator.setRules(m_search.rules());
    MoveGenerator::List list;
    generator.generate(position, list);
    const GameMove* move =
        m_record.legalMoves().leadingTo(Puzzle::unpacked(list.moves[index].reply, DEFENDER));
    return move ? std::optional<GameMove>(*move) : std::nullopt;
}

void PuzzleSession::judgeSolved()
{
    if (m_record.over()) {
        m_solved = m_record.result() == (m_record.colourOf(SOLVER) == Colour::White
                                             ? GameResult::WHITE_WINS
                                             : GameResult::BLACK_WINS);
        return;
    }
    // A capture pending may still change the balance.
    m_solved = m_puzzle.goal() < ProofSearch::WIN && gain() >= m_puzzle.goal() &&
               !m_record.legalMoves().captureCompulsory();
}
