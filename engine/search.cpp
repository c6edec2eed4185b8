#include "search.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace
{

constexpr int LOSS_PER_PLY = 10;
constexpr int INFINITE = 30000; // beyond every value: |value| <= 10 per ply + the jumps
constexpr std::size_t TABLE_ENTRIES = std::size_t{1} << 19;
constexpr int HINTED_MOVE = 1 << 24;
constexpr int JUMP_WEIGHT = 1 << 18; // more pieces jumped first; captures are all one kind
constexpr int KILLER_WEIGHT = 1 << 10;
constexpr int HISTORY_LIMIT = 1 << 15;
constexpr int FIRST_TRANSPOSITION_CUT_PLIES = 3; // below, probing every reply costs more
constexpr int PICKED_ONE_BY_ONE = 2;             // the moves after these are sorted at once

} // namespace

Search::Search() : m_table(TABLE_ENTRIES), m_history{}
{
    for (auto& killers : m_killers)
        std::fill(std::begin(killers), std::end(killers), NO_KILLER);
}

std::size_t Search::tableBytes()
{
    return TranspositionTable::bytesFor(TABLE_ENTRIES) + sizeof(Search);
}

void Search::clear()
{
    m_table.clear();
    for (auto& row : m_history)
        std::fill(std::begin(row), std::end(row), 0);
    for (auto& killers : m_killers)
        std::fill(std::begin(killers), std::end(killers), NO_KILLER);
}

bool Search::go(const PackedPosition& root, MoveGenerator::Rules rules, int level,
                ReferenceSearch& reference, Outcome& outcome)
{
    m_nodes = 0;
    if (level < 2 || level >= MAX_PLY || !m_table.usable())
        return false;
    m_generator.setRules(rules);
    m_rootCount = 0;
    m_rootOverflow = false;
    reference.rootMoves(*this);
    if (m_rootOverflow)
        return false;
    m_reference = &reference;
    m_level = level;

    // First the root's value, by the well-ordered search; then the moves in the generators'
    // order, with the running best exactly as the full-width search keeps it. No move is worth
    // more than the root's value, and a move worse than the best so far needs only be shown to
    // be worse: each is valued exactly only where it could equal or beat the best so far.
    const int rootValue = value(root, level, -INFINITE, INFINITE, 0);
    int best = -LOSS_PER_PLY * level;
    outcome = Outcome{};
    for (int i = 0; i < m_rootCount; ++i) {
        const RootMove& move = m_rootMoves[i];
        const PackedPosition reply = move.after.rotated();
        const int limit = move.jumps - best + 1;
        // Once the best so far is the root's value, a move can only tie with it: one null
        // window tells.
        const int floor = best == rootValue ? limit - 1 : move.jumps - rootValue - 1;
        const int replyValue =
            level == 2 ? horizonValue(reply, INFINITE) : value(reply, level - 1, floor, limit, 1);
        if (replyValue >= limit)
            continue;
        const int moveValue = std::min(move.jumps - replyValue, rootValue);
        if (moveValue > best) {
            best = moveValue;
            choose(move, outcome);
            outcome.equals = 1;
        } else if (moveValue == best) {
            // The k-th root move of the best value replaces the recorded one with probability 1/k.
            ++outcome.equals;
            if (std::rand() % outcome.equals == 0)
                choose(move, outcome);
        }
    }
    outcome.value = best;
    m_reference = nullptr;
    return true;
}

// The value of the position for side 2 with `plies` (2 or more) left: exact when it lies inside
// (alpha, beta), otherwise a bound on the side of the window it fell.
int Search::value(const PackedPosition& position, int plies, int alpha, int beta, int ply)
{
    ++m_nodes;
    // No value reaches beyond stalemating the opponent at once after jumping all its pieces, nor
    // below having no move now: a window outside those bounds is decided without a search.
    const int most = LOSS_PER_PLY * (plies - 1) + __builtin_popcount(position.side1);
    if (most <= alpha)
        return most;
    const int least = -LOSS_PER_PLY * plies;
    if (least >= beta)
        return least;
    std::uint8_t hint = TranspositionTable::NO_MOVE;
    if (const TranspositionTable::Entry* entry = m_table.find(position, plies, hint)) {
        if (entry->bound == TranspositionTable::EXACT ||
            (entry->bound == TranspositionTable::LOWER && entry->value >= beta) ||
            (entry->bound == TranspositionTable::UPPER && entry->value <= alpha))
            return entry->value;
    }
    if (ply >= MAX_PLY)
        return referenceValue(position, plies);

    MoveGenerator::List& list = m_moves[ply];
    m_generator.generate(position, list);
    if (list.overflow)
        return referenceValue(position, plies);

    const int count = list.count;
    std::uint8_t* order = m_order[ply];
    int* score = m_score[ply];
    for (int i = 0; i < count; ++i) {
        if (plies > 2)
            m_table.prefetch(list.moves[i].reply);
        order[i] = static_cast<std::uint8_t>(i);
        score[i] = i == hint ? HINTED_MOVE : orderScore(list.moves[i], ply);
    }

    if (plies >= FIRST_TRANSPOSITION_CUT_PLIES) {
        // A reply already known to be bad enough for the opponent ends the search here.
        for (int i = 0; i < count; ++i) {
            const Move& move = list.moves[i];
            std::uint8_t unused;
            const TranspositionTable::Entry* entry = m_table.find(move.reply, plies - 1, unused);
            if (entry && entry->bound != TranspositionTable::LOWER &&
                move.jumps - entry->value >= beta) {
                const int cut = move.jumps - entry->value;
                m_table.store(position, plies, cut, TranspositionTable::LOWER,
                              static_cast<std::uint8_t>(i));
                return cut;
            }
        }
    }

    int best = -LOSS_PER_PLY * plies;
    std::uint8_t bestMove = TranspositionTable::NO_MOVE;
    int floor = alpha;
    for (int n = 0; n < count; ++n) {
        if (n < PICKED_ONE_BY_ONE) {
            // The most promising of the moves left: most nodes are decided by their first moves.
            int pick = n;
            for (int i = n + 1; i < count; ++i) {
                if (score[order[i]] > score[order[pick]])
                    pick = i;
            }
            std::swap(order[n], order[pick]);
        } else if (n == PICKED_ONE_BY_ONE) {
            // Insertion sort: short lists, and no memory of its own.
            for (int i = n + 1; i < count; ++i) {
                const std::uint8_t moving = order[i];
                int j = i;
                for (; j > n && score[order[j - 1]] < score[moving]; --j)
                    order[j] = order[j - 1];
                order[j] = moving;
            }
        }
        const Move& move = list.moves[order[n]];
        const PackedPosition& reply = move.reply;
        int moveValue;
        if (plies == 2) {
            // Only whether the move beats the best so far matters, and by how much.
            moveValue = move.jumps - horizonValue(reply, move.jumps - floor);
        } else if (n == 0) {
            moveValue = move.jumps -
                        value(reply, plies - 1, move.jumps - beta, move.jumps - floor, ply + 1);
        } else {
            // Only show that the move is no better than the best so far; search it exactly
            // only when it is.
            moveValue = move.jumps - value(reply, plies - 1, move.jumps - floor - 1,
                                           move.jumps - floor, ply + 1);
            if (moveValue > floor && moveValue < beta)
                moveValue = move.jumps -
                            value(reply, plies - 1, move.jumps - beta, move.jumps - floor, ply + 1);
        }
        if (moveValue > best) {
            best = moveValue;
            bestMove = order[n];
            if (best > floor) {
                floor = best;
                if (floor >= beta) {
                    rememberCutoff(move, plies, ply);
                    break;
                }
            }
        }
    }
    const TranspositionTable::Bound bound = best >= beta    ? TranspositionTable::LOWER
                                            : best <= alpha ? TranspositionTable::UPPER
                                                            : TranspositionTable::EXACT;
    m_table.store(position, plies, best, bound, bestMove);
    return best;
}

// One ply left: every move is worth the pieces it jumps, and a side without a move loses.
int Search::horizonValue(const PackedPosition& position, int enough)
{
    ++m_nodes;
    const int most = m_generator.horizon(position, enough);
    return most == MoveGenerator::NO_MOVE ? -LOSS_PER_PLY : most;
}

// The full-width search of one position, for the rare position with more moves than the lists
// hold: slow but exact.
int Search::referenceValue(const PackedPosition& position, int plies)
{
    return m_reference->referenceValue(position, plies, m_level);
}

int Search::orderScore(const Move& move, int ply) const
{
    const int key = move.from * SQUARES + move.to;
    const int killer = key == m_killers[ply][0] ? 2 : key == m_killers[ply][1] ? 1 : 0;
    return move.jumps * JUMP_WEIGHT + killer * KILLER_WEIGHT + m_history[move.from][move.to];
}

void Search::rememberCutoff(const Move& move, int plies, int ply)
{
    const int from = move.from;
    const int to = move.to;
    const int key = from * SQUARES + to;
    if (m_killers[ply][0] != key) {
        m_killers[ply][1] = m_killers[ply][0];
        m_killers[ply][0] = key;
    }
    m_history[from][to] += plies * plies;
    if (m_history[from][to] >= HISTORY_LIMIT) {
        for (auto& row : m_history) {
            for (int& score : row)
                score /= 2;
        }
    }
}

void Search::choose(const RootMove& move, Outcome& outcome) const
{
    outcome.hasMove = true;
    outcome.chosen = move.after;
}

void Search::onMove(const int* cells, int jumps)
{
    if (m_rootCount == MAX_ROOT_MOVES) {
        m_rootOverflow = true;
        return;
    }
    m_rootMoves[m_rootCount++] = {PackedPosition::fromCells(cells, SQUARE_CELLS), jumps};
}
