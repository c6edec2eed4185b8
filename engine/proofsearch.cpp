#include "proofsearch.h"

#include <algorithm>
#include <climits>

namespace
{

int bits(std::uint32_t set)
{
    return __builtin_popcount(set);
}

} // namespace

ProofSearch::ProofSearch(MoveGenerator::Rules rules, int tableBits)
    : m_rules(rules), m_table(std::size_t{1} << tableBits),
      m_mask((std::uint64_t{1} << tableBits) - 1)
{
    m_generator.setRules(rules);
}

void ProofSearch::clear()
{
    std::fill(m_table.begin(), m_table.end(), Entry{});
    for (auto& row : m_history)
        std::fill(std::begin(row), std::end(row), 0);
    m_nodes = 0;
}

int ProofSearch::material(const PackedPosition& position) const
{
    const int king = kingValue();
    const auto count = [&](std::uint32_t pieces) {
        return MAN * bits(pieces & ~position.kings) + king * bits(pieces & position.kings);
    };
    return count(position.side2) - count(position.side1);
}

int ProofSearch::search(const PackedPosition& position, int plies, int alpha, int beta)
{
    if (++m_nodes > m_nodeLimit)
        m_exhausted = true;
    if (m_exhausted)
        return 0;
    if (plies <= 0) {
        // Past the horizon only captures go on; a quiet position is worth its material.
        const int horizon = m_generator.horizon(position, 1);
        if (horizon == MoveGenerator::NO_MOVE)
            return -WIN;
        if (horizon == 0)
            return material(position);
        plies = 0;
    }
    const std::uint64_t hash = position.hash();
    Entry& entry = m_table[hash & m_mask];
    const auto check = static_cast<std::uint32_t>(hash >> 32);
    int first = 0;
    if (entry.check == check && entry.bound != NONE) {
        // Only an entry of the same depth: a deeper one would answer another question, and the
        // value must not depend on what the table happens to hold.
        if (entry.depth == plies) {
            const int stored = entry.value;
            if (entry.bound == EXACT || (entry.bound == LOWER && stored >= beta) ||
                (entry.bound == UPPER && stored <= alpha))
                return stored;
        }
        first = entry.best;
    }

    MoveGenerator::List list;
    m_generator.generate(position, list);
    if (list.count == 0)
        return -WIN;
    if (first >= list.count)
        first = 0;
    // The move that was best here before first, then the moves that cut off most elsewhere.
    int order[MoveGenerator::CAPACITY];
    int scores[MoveGenerator::CAPACITY];
    for (int i = 0; i < list.count; ++i) {
        const MoveGenerator::Move& move = list.moves[i];
        const int score = i == first ? INT_MAX : m_history[move.from][move.to];
        int at = i;
        for (; at > 0 && scores[at - 1] < score; --at) {
            order[at] = order[at - 1];
            scores[at] = scores[at - 1];
        }
        order[at] = i;
        scores[at] = score;
    }
    const int originalAlpha = alpha;
    int best = -INF;
    int bestIndex = first;
    for (int n = 0; n < list.count; ++n) {
        const int i = order[n];
        const int v = -search(list.moves[i].reply, plies - 1, -beta, -alpha);
        if (v > best) {
            best = v;
            bestIndex = i;
            if (v > alpha)
                alpha = v;
            if (alpha >= beta) {
                const MoveGenerator::Move& move = list.moves[i];
                int& history = m_history[move.from][move.to];
                history = std::min(history + plies * plies + 1, HISTORY_LIMIT);
                break;
            }
        }
    }
    if (m_exhausted)
        return 0;
    entry.check = check;
    entry.value = static_cast<std::int16_t>(best);
    entry.depth = static_cast<std::int8_t>(plies);
    entry.bound = best <= originalAlpha ? UPPER : (best >= beta ? LOWER : EXACT);
    entry.best = static_cast<std::uint8_t>(bestIndex);
    return best;
}

int ProofSearch::value(const PackedPosition& position, int plies, int alpha, int beta)
{
    return search(position, plies, alpha, beta);
}

int ProofSearch::gain(const PackedPosition& before, const PackedPosition& reply, int plies)
{
    const int v = -search(reply, plies - 1, -INF, INF);
    if (v >= WIN)
        return WIN;
    if (v <= -WIN)
        return -WIN;
    return v - material(before);
}

bool ProofSearch::reaches(const PackedPosition& before, const PackedPosition& reply, int plies,
                          int goal)
{
    const int target = goal >= WIN ? WIN : material(before) + goal;
    return -search(reply, plies - 1, -target, -target + 1) >= target;
}

ProofSearch::Verdict ProofSearch::judge(const PackedPosition& position, int plies)
{
    Verdict verdict;
    m_exhausted = false;
    m_nodeLimit = m_nodes + m_budget;
    const auto finish = [this](Verdict& verdict) {
        verdict.exhausted = m_exhausted;
        verdict.puzzle = verdict.puzzle && !m_exhausted;
        m_nodeLimit = LLONG_MAX;
        m_exhausted = false;
        return verdict;
    };
    MoveGenerator::List list;
    m_generator.generate(position, list);
    verdict.moves = list.count;
    // A forced move is no puzzle: there is nothing to find.
    if (list.count < 2 || list.overflow)
        return finish(verdict);
    for (int i = 0; i < list.count && verdict.winners < 2; ++i) {
        if (reaches(position, list.moves[i].reply, plies, GOAL)) {
            ++verdict.winners;
            verdict.solution = i;
        }
    }
    if (verdict.winners != 1)
        return finish(verdict);
    verdict.reply = list.moves[verdict.solution].reply;
    verdict.gain = gain(position, verdict.reply, plies);
    // The others gain less than GOAL already; each must also stay a man short of the solution.
    const int worst = verdict.gain >= WIN ? WIN : verdict.gain - MAN + 1;
    if (worst < GOAL) {
        for (int i = 0; i < list.count; ++i) {
            if (i != verdict.solution && reaches(position, list.moves[i].reply, plies, worst))
                return finish(verdict);
        }
    }
    verdict.puzzle = true;
    return finish(verdict);
}

int ProofSearch::solutionLength(const PackedPosition& before, const PackedPosition& reply,
                                int plies, int goal)
{
    for (int length = 1; length <= plies; ++length) {
        if (reaches(before, reply, length, goal))
            return length;
    }
    return 0;
}

int ProofSearch::bestMove(const PackedPosition& position, int plies,
                          const PackedPosition* preferred)
{
    MoveGenerator::List list;
    m_generator.generate(position, list);
    std::vector<int> best;
    for (int i = 0; i < list.count; ++i)
        best.push_back(i);
    // Ties of the value within `plies` go to the move whose value within fewer plies is better:
    // the winner wins sooner, the loser resists longer.
    for (int depth = std::max(plies, 1); depth >= 1 && best.size() > 1; --depth) {
        std::vector<int> tied;
        int top = -INF;
        for (const int i : best) {
            const int v = -search(list.moves[i].reply, depth - 1, -INF, INF);
            if (v > top)
                tied.clear();
            if (v >= top) {
                top = v;
                tied.push_back(i);
            }
        }
        best.swap(tied);
        if (depth == std::max(plies, 1) && preferred) {
            for (const int i : best) {
                if (list.moves[i].reply == *preferred)
                    return i;
            }
        }
    }
    return best.empty() ? -1 : best.front();
}

std::vector<PackedPosition> ProofSearch::line(const PackedPosition& before,
                                              const PackedPosition& reply, int plies, int goal)
{
    // The gain is side 2's at the start; the line's positions alternate sides.
    const int startBalance = material(before);
    std::vector<PackedPosition> result{reply};
    PackedPosition current = reply;
    bool solverToMove = false;
    constexpr int MAX_LINE = 64; // captures end long before: each takes a piece
    for (int left = plies - 1; static_cast<int>(result.size()) < MAX_LINE; --left) {
        const int horizon = m_generator.horizon(current, 1);
        if (horizon == MoveGenerator::NO_MOVE)
            break;
        const int balance = solverToMove ? material(current) : -material(current);
        if (horizon == 0 && (left <= 0 || (goal < WIN && balance - startBalance >= goal)))
            break;
        const int index = bestMove(current, std::max(left, 1), nullptr);
        MoveGenerator::List list;
        m_generator.generate(current, list);
        current = list.moves[index].reply;
        result.push_back(current);
        solverToMove = !solverToMove;
    }
    return result;
}
