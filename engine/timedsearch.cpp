#include "timedsearch.h"

#include "checkers.h"
#include "endgametable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace
{

constexpr int INFINITE = TimedSearch::WIN + 1;
// Proven wins and losses are counted from the root; the table keeps them counted from the
// position stored.
constexpr int PROVEN = TimedSearch::PROVEN;
constexpr std::size_t TABLE_ENTRIES = std::size_t{1} << 19;
constexpr int RUSSIAN_RULES = 25;
constexpr int HINTED_MOVE = 1 << 24;
constexpr int JUMP_WEIGHT = 1 << 18;
constexpr int KILLER_WEIGHT = 1 << 16;
constexpr int HISTORY_LIMIT = 1 << 15;
constexpr long long CLOCK_EVERY = 256; // nodes between two looks at the clock
constexpr int LATE_MOVE = 3;
constexpr int REDUCED_FROM_DEPTH = 3;

MoveGenerator::Rules rulesOf(const Checkers& engine)
{
    return engine.type() == RUSSIAN_RULES ? MoveGenerator::Rules::RUSSIAN
                                          : MoveGenerator::Rules::ENGLISH;
}

int toTable(int value, int ply)
{
    return value > PROVEN ? value + ply : value < -PROVEN ? value - ply : value;
}

int fromTable(int value, int ply)
{
    return value > PROVEN ? value - ply : value < -PROVEN ? value + ply : value;
}

} // namespace

TimedSearch::TimedSearch(Checkers& engine, Clock clock)
    : m_engine(engine), m_clock(std::move(clock)), m_table(TABLE_ENTRIES),
      m_evaluation(rulesOf(engine)), m_history{}
{
    m_generator.setRules(rulesOf(engine));
    for (auto& killers : m_killers)
        std::fill(std::begin(killers), std::end(killers), NO_KILLER);
}

std::size_t TimedSearch::tableBytes()
{
    return TranspositionTable::bytesFor(TABLE_ENTRIES) + sizeof(TimedSearch);
}

void TimedSearch::clear()
{
    if (m_table.usable())
        m_table.clear();
    for (auto& row : m_history)
        std::fill(std::begin(row), std::end(row), 0);
    for (auto& killers : m_killers)
        std::fill(std::begin(killers), std::end(killers), NO_KILLER);
}

int TimedSearch::go(int moveTimeMs, int maxDepth)
{
    Checkers& engine = m_engine;
    m_nodes = 0;
    m_finishedDepth = 0;
    m_stopped = false;
    m_timed = moveTimeMs > 0;
    if (m_timed)
        m_deadline = m_clock() + std::chrono::milliseconds(moveTimeMs);
    engine.depth = 0;
    engine.bestcount = 0;

    const PackedPosition root = PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
    m_generator.generate(root, m_rootMoves);
    const int count = m_rootMoves.count;
    if (count == 0)
        return -WIN;
    m_quiet[0] = engine.quietPlies;
    if (engine.endgameTable && engine.endgameTable->covers(root)) {
        int known = 0;
        const int chosen = tableMove(*engine.endgameTable, known);
        if (chosen >= 0) {
            record(m_rootMoves.moves[chosen]);
            return known;
        }
    }
    if (count == 1) {
        record(m_rootMoves.moves[0]);
        return -m_evaluation.value(m_rootMoves.moves[0].reply);
    }

    // What the last move's search taught about move order fades, so that this one's counts.
    for (auto& row : m_history) {
        for (int& score : row)
            score /= 4;
    }
    // Captures come first, the most pieces first; otherwise the generator's order.
    for (int i = 0; i < count; ++i)
        m_rootOrder[i] = static_cast<std::uint8_t>(i);
    std::stable_sort(m_rootOrder, m_rootOrder + count, [&](std::uint8_t a, std::uint8_t b) {
        return m_rootMoves.moves[a].jumps > m_rootMoves.moves[b].jumps;
    });

    int best = m_rootOrder[0];
    int bestValue = 0;
    const int deepest = maxDepth > 0 ? std::min(maxDepth, MAX_DEPTH) : MAX_DEPTH;
    for (int depth = 1; depth <= deepest; ++depth) {
        if (!iterate(depth, best, bestValue))
            break;
        m_finishedDepth = depth;
        // The chosen move is searched first next time, the others keep their order.
        const auto chosen = std::find(m_rootOrder, m_rootOrder + count, best);
        std::rotate(m_rootOrder, chosen, chosen + 1);
        // A win or loss the search has proved does not change with depth.
        if (bestValue > PROVEN || bestValue < -PROVEN)
            break;
    }
    record(m_rootMoves.moves[best]);
    engine.depth = 0;
    return bestValue;
}

bool TimedSearch::iterate(int depth, int& best, int& bestValue)
{
    Checkers& engine = m_engine;
    int chosen = -1;
    int chosenValue = -INFINITE;
    const PackedPosition root = PackedPosition::fromCells(engine.board, Checkers::SQUARE_CELLS);
    for (int n = 0; n < m_rootMoves.count; ++n) {
        const int index = m_rootOrder[n];
        const PackedPosition& reply = m_rootMoves.moves[index].reply;
        countQuiet(root, m_rootMoves.moves[index], 0);
        int moveValue;
        if (n == 0) {
            moveValue = -value(reply, depth - 1, -INFINITE, INFINITE, 1);
        } else {
            // A window of one value each side of the best so far tells worse, equal and better
            // apart; only a better move is searched again for its exact value.
            moveValue = -value(reply, depth - 1, -(chosenValue + 1), -(chosenValue - 1), 1);
            if (!m_stopped && moveValue > chosenValue)
                moveValue = -value(reply, depth - 1, -INFINITE, -chosenValue, 1);
        }
        if (m_stopped)
            break;
        if (moveValue > chosenValue) {
            chosenValue = moveValue;
            chosen = index;
            engine.bestcount = 1;
        } else if (moveValue == chosenValue) {
            // The k-th root move of the best value replaces the chosen one with probability 1/k.
            ++engine.bestcount;
            if (std::rand() % engine.bestcount == 0)
                chosen = index;
        }
    }
    // Broken off: the moves searched so far at this depth, the last choice among them, are
    // judged more deeply than before; only if none was finished does the last choice stand.
    if (chosen >= 0) {
        best = chosen;
        bestValue = chosenValue;
    }
    return !m_stopped;
}

// The value of the position for side 2 to move with `depth` plies left before the captures
// are followed out: exact inside (alpha, beta), otherwise a bound on the side it fell.
int TimedSearch::value(const PackedPosition& position, int depth, int alpha, int beta, int ply)
{
    if (const EndgameTable* tables = m_engine.endgameTable.get()) {
        if (tables->covers(position)) {
            if (const std::optional<EndgameValue> known = tables->probe(position)) {
                ++m_nodes;
                return tableValue(*known, ply);
            }
        }
    }
    if (depth <= 0)
        return quiescence(position, alpha, beta, ply);
    ++m_nodes;
    if (outOfTime())
        return 0;
    if (ply >= MAX_PLY - 1)
        return m_evaluation.value(position);

    std::uint8_t hint = TranspositionTable::NO_MOVE;
    if (m_table.usable()) {
        if (const TranspositionTable::Entry* entry = m_table.find(position, depth, hint)) {
            const int known = fromTable(entry->value, ply);
            if (entry->bound == TranspositionTable::EXACT ||
                (entry->bound == TranspositionTable::LOWER && known >= beta) ||
                (entry->bound == TranspositionTable::UPPER && known <= alpha))
                return known;
        }
    }

    MoveGenerator::List& list = m_moves[ply];
    m_generator.generate(position, list);
    const int count = list.count;
    if (count == 0)
        return -WIN + ply;
    orderMoves(list, hint, ply);
    // A forced move costs no depth: the line it starts is as narrow as a line can be.
    const int next = count == 1 ? depth : depth - 1;

    int best = -INFINITE;
    std::uint8_t bestMove = TranspositionTable::NO_MOVE;
    int floor = alpha;
    for (int n = 0; n < count; ++n) {
        const Move& move = list.moves[m_order[ply][n]];
        countQuiet(position, move, ply);
        int moveValue;
        if (n == 0) {
            moveValue = -value(move.reply, next, -beta, -floor, ply + 1);
        } else {
            // Late quiet moves of a well-ordered list rarely matter: a shallower look first, the
            // full depth only for one that seems to beat the best so far.
            const bool reduce = n >= LATE_MOVE && depth >= REDUCED_FROM_DEPTH && move.jumps == 0;
            moveValue = -value(move.reply, reduce ? next - 1 : next, -floor - 1, -floor, ply + 1);
            if (reduce && !m_stopped && moveValue > floor)
                moveValue = -value(move.reply, next, -floor - 1, -floor, ply + 1);
            if (!m_stopped && moveValue > floor && moveValue < beta)
                moveValue = -value(move.reply, next, -beta, -floor, ply + 1);
        }
        if (m_stopped)
            return 0;
        if (moveValue > best) {
            best = moveValue;
            bestMove = m_order[ply][n];
            if (best > floor) {
                floor = best;
                if (floor >= beta) {
                    rememberCutoff(move, depth, ply);
                    break;
                }
            }
        }
    }
    if (m_table.usable()) {
        const TranspositionTable::Bound bound = best >= beta    ? TranspositionTable::LOWER
                                                : best <= alpha ? TranspositionTable::UPPER
                                                                : TranspositionTable::EXACT;
        m_table.store(position, depth, toTable(best, ply), bound, bestMove);
    }
    return best;
}

// Beyond the horizon only captures are played, as the rules make them compulsory: a position
// is judged once the side to move has none.
int TimedSearch::quiescence(const PackedPosition& position, int alpha, int beta, int ply)
{
    ++m_nodes;
    if (outOfTime())
        return 0;
    if (!m_generator.hasCapture(position)) {
        if (!Evaluation::hasSimpleMove(position))
            return -WIN + ply;
        return m_evaluation.value(position);
    }
    if (ply >= MAX_PLY - 1)
        return m_evaluation.value(position);
    MoveGenerator::List& list = m_moves[ply];
    m_generator.generate(position, list);
    int best = -INFINITE;
    int floor = alpha;
    for (int i = 0; i < list.count; ++i) {
        const int moveValue = -quiescence(list.moves[i].reply, -beta, -floor, ply + 1);
        if (m_stopped)
            return 0;
        if (moveValue > best) {
            best = moveValue;
            if (best > floor) {
                floor = best;
                if (floor >= beta)
                    break;
            }
        }
    }
    return best;
}

int TimedSearch::tableValue(const EndgameValue& known, int ply) const
{
    // A win the count of the draw rules runs out on first is a draw.
    const int left = m_engine.endgameTable->limit() - m_quiet[ply];
    if (known.outcome == EndgameValue::Outcome::DRAW || known.distance > left)
        return 0;
    const int won = TABLE_WIN - ply - known.distance;
    return known.outcome == EndgameValue::Outcome::WIN ? won : -won;
}

int TimedSearch::tableMove(const EndgameTable& tables, int& value) const
{
    const PackedPosition root = PackedPosition::fromCells(m_engine.board, Checkers::SQUARE_CELLS);
    const std::uint32_t men = root.side2 & ~root.kings;
    int fastestWin = -1;
    int longestLoss = -1;
    int winPlies = 0;
    int lossPlies = 0;
    bool drawn = false;
    for (int i = 0; i < m_rootMoves.count; ++i) {
        const Move& move = m_rootMoves.moves[i];
        const bool zeroing = move.jumps > 0 || (men & (std::uint32_t{1} << move.from));
        const int left = tables.limit() - (zeroing ? 0 : m_quiet[0] + 1);
        const std::optional<EndgameValue> known = tables.probe(move.reply);
        if (!known || known->outcome == EndgameValue::Outcome::DRAW || known->distance > left) {
            drawn = true;
            continue;
        }
        const int plies = zeroing ? 1 : known->distance + 1;
        if (known->outcome == EndgameValue::Outcome::LOSS) {
            if (fastestWin < 0 || plies < winPlies) {
                fastestWin = i;
                winPlies = plies;
            }
        } else if (longestLoss < 0 || plies > lossPlies) {
            longestLoss = i;
            lossPlies = plies;
        }
    }
    if (fastestWin >= 0) {
        value = TABLE_WIN - winPlies;
        return fastestWin;
    }
    // Drawn: the search picks among the moves that keep the draw.
    if (drawn)
        return -1;
    value = -(TABLE_WIN - lossPlies);
    return longestLoss;
}

void TimedSearch::countQuiet(const PackedPosition& position, const Move& move, int ply)
{
    const std::uint32_t men = position.side2 & ~position.kings;
    const bool zeroing = move.jumps > 0 || (men & (std::uint32_t{1} << move.from));
    m_quiet[ply + 1] = zeroing ? 0 : m_quiet[ply] + 1;
}

void TimedSearch::orderMoves(const MoveGenerator::List& list, std::uint8_t hint, int ply)
{
    std::uint8_t* order = m_order[ply];
    int* score = m_score[ply];
    const int count = list.count;
    for (int i = 0; i < count; ++i) {
        const Move& move = list.moves[i];
        const int key = move.from * SQUARES + move.to;
        const int killer = key == m_killers[ply][0] ? 2 : key == m_killers[ply][1] ? 1 : 0;
        order[i] = static_cast<std::uint8_t>(i);
        score[i] = i == hint ? HINTED_MOVE
                             : move.jumps * JUMP_WEIGHT + killer * KILLER_WEIGHT +
                                   m_history[move.from][move.to];
    }
    // Insertion sort: short lists, and no memory of its own.
    for (int i = 1; i < count; ++i) {
        const std::uint8_t moving = order[i];
        int j = i;
        for (; j > 0 && score[order[j - 1]] < score[moving]; --j)
            order[j] = order[j - 1];
        order[j] = moving;
    }
}

void TimedSearch::rememberCutoff(const Move& move, int depth, int ply)
{
    if (move.jumps > 0)
        return; // captures are first anyway
    const int key = move.from * SQUARES + move.to;
    if (m_killers[ply][0] != key) {
        m_killers[ply][1] = m_killers[ply][0];
        m_killers[ply][0] = key;
    }
    int& score = m_history[move.from][move.to];
    score += depth * depth;
    if (score >= HISTORY_LIMIT) {
        for (auto& row : m_history) {
            for (int& s : row)
                s /= 2;
        }
    }
}

bool TimedSearch::outOfTime()
{
    if (m_stopped)
        return true;
    if (m_nodes % CLOCK_EVERY != 0)
        return false;
    const std::atomic<bool>* const stop = m_engine.stop;
    if ((stop && stop->load(std::memory_order_relaxed)) || (m_timed && m_clock() >= m_deadline))
        m_stopped = true;
    return m_stopped;
}

void TimedSearch::record(const Move& move)
{
    int cells[CELLS];
    std::fill(std::begin(cells), std::end(cells), BORDER);
    move.reply.rotated().toCells(cells, Checkers::SQUARE_CELLS);
    std::copy(cells + FIRST_CELL, cells + LAST_CELL + 1, m_engine.bestboard + FIRST_CELL);
    std::copy(cells + FIRST_CELL, cells + LAST_CELL + 1, m_engine.board + FIRST_CELL);
}
