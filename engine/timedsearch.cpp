#include "timedsearch.h"

#include "endgametable.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace
{

constexpr int INFINITE = TimedSearch::WIN + 1;
// Proven wins and losses are counted from the root; the table keeps them counted from the
// position stored.
constexpr int PROVEN = TimedSearch::PROVEN;
constexpr std::size_t TABLE_ENTRIES = std::size_t{1} << 19;
constexpr int HINTED_MOVE = 1 << 24;
constexpr int JUMP_WEIGHT = 1 << 18;
constexpr int KILLER_WEIGHT = 1 << 16;
constexpr int HISTORY_LIMIT = 1 << 15;
constexpr long long CLOCK_EVERY = 256; // nodes between two looks at the clock
constexpr int LATE_MOVE = 3;
constexpr int REDUCED_FROM_DEPTH = 3;
// A stored value may have been found along lines longer than its depth, through forced moves,
// which cost no depth: so many plies beyond it are kept clear of the draw rules' limits.
constexpr int FORCED_PLIES_ALLOWED = 8;
// The move of the last iteration is found worse (a fail low) when it loses this much at the
// next depth: a third of a man.
constexpr int FAIL_LOW_MARGIN = 33;

int toTable(int value, int ply)
{
    return value > PROVEN ? value + ply : value < -PROVEN ? value - ply : value;
}

int fromTable(int value, int ply)
{
    return value > PROVEN ? value - ply : value < -PROVEN ? value + ply : value;
}

// The plies the count of the draw rules has run that the tables' distance must fit in: kings
// only or forty moves, and, under Russian rules, the three kings against one.
int tableCount(MoveGenerator::Rules rules, const DrawCounters& counters)
{
    return rules == MoveGenerator::Rules::RUSSIAN
               ? std::max(counters.quietPlies, counters.lonesomePlies)
               : counters.quietPlies;
}

int count(std::uint32_t set)
{
    return __builtin_popcount(set);
}

} // namespace

TimedSearch::TimedSearch(MoveGenerator::Rules rules, Clock clock)
    : m_rules(rules), m_budget(std::move(clock)), m_table(TABLE_ENTRIES),
      m_evaluation(rules), m_history{}
{
    m_generator.setRules(rules);
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

int TimedSearch::go(const PackedPosition& root, const SearchHistory& history, const Limits& limits)
{
    m_nodes = 0;
    m_finishedDepth = 0;
    m_stopped = false;
    m_drawSeen = false;
    m_stop = limits.stop;
    m_tables = limits.tables;
    m_hasMove = false;
    m_principal.clear();
    m_budget.start(limits.moveTimeMs);
    m_root = root;
    m_rootCounters = history.given() ? history.counters() : DrawCounters::start(root);
    m_historyLength = 0;
    for (const PackedPosition& earlier : history.positions())
        m_line[m_historyLength++] = earlier;
    m_line[m_historyLength] = root;

    m_generator.generate(root, m_rootMoves);
    const int count = m_rootMoves.count;
    if (count == 0)
        return -WIN;
    // Where the tables know the result, the fastest win or the longest loss is played.
    if (m_tables && m_tables->covers(root)) {
        int known = 0;
        const int chosen = tableMove(known);
        if (chosen >= 0) {
            m_hasMove = true;
            m_chosen = m_rootMoves.moves[chosen].reply.rotated();
            findPrincipalVariation(root, chosen);
            return known;
        }
    }
    if (count == 1) {
        m_hasMove = true;
        m_chosen = m_rootMoves.moves[0].reply.rotated();
        findPrincipalVariation(root, 0);
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
    const int deepest = limits.maxDepth > 0 ? std::min(limits.maxDepth, MAX_DEPTH) : MAX_DEPTH;
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
    m_hasMove = true;
    m_chosen = m_rootMoves.moves[best].reply.rotated();
    findPrincipalVariation(root, best);
    return bestValue;
}

bool TimedSearch::iterate(int depth, int& best, int& bestValue)
{
    int chosen = -1;
    int chosenValue = -INFINITE;
    int equals = 0;
    for (int n = 0; n < m_rootMoves.count; ++n) {
        const int index = m_rootOrder[n];
        const Move& move = m_rootMoves.moves[index];
        const DrawCounters counters = countersAfter(m_rootCounters, m_root, move);
        int moveValue;
        if (n == 0) {
            moveValue = -value(move.reply, depth - 1, -INFINITE, INFINITE, 1, counters);
            // The last iteration's choice is worse than it looked: worth more time, once.
            if (!m_stopped && depth > 1 && moveValue < bestValue - FAIL_LOW_MARGIN)
                m_budget.extend();
        } else {
            // A window of one value each side of the best so far tells worse, equal and better
            // apart; only a better move is searched again for its exact value.
            moveValue =
                -value(move.reply, depth - 1, -(chosenValue + 1), -(chosenValue - 1), 1, counters);
            if (!m_stopped && moveValue > chosenValue)
                moveValue = -value(move.reply, depth - 1, -INFINITE, -chosenValue, 1, counters);
        }
        // A move whose search the clock broke off has no value at all.
        if (m_stopped)
            break;
        if (moveValue > chosenValue) {
            chosenValue = moveValue;
            chosen = index;
            equals = 1;
        } else if (moveValue == chosenValue) {
            // The k-th root move of the best value replaces the chosen one with probability 1/k.
            ++equals;
            if (std::rand() % equals == 0)
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

DrawCounters TimedSearch::countersAfter(const DrawCounters& counters, const PackedPosition& before,
                                        const Move& move) const
{
    const bool capture = move.jumps > 0;
    const bool manMoved = (before.kings >> move.from & 1) == 0;
    // Without a capture the forces change only when a man is crowned.
    const bool forcesChanged = capture || count(move.reply.kings) != count(before.kings);
    return counters.next(m_rules, capture || manMoved, forcesChanged, move.reply);
}

int TimedSearch::tableValue(const EndgameValue& known, int ply, const DrawCounters& counters) const
{
    // A win the count of the draw rules runs out on first is a draw.
    const int left = m_tables->limit() - tableCount(m_rules, counters);
    if (known.outcome == EndgameValue::Outcome::DRAW || known.distance > left)
        return DRAW;
    const int won = TABLE_WIN - ply - known.distance;
    return known.outcome == EndgameValue::Outcome::WIN ? won : -won;
}

int TimedSearch::tableMove(int& value) const
{
    int fastestWin = -1;
    int longestLoss = -1;
    int winPlies = 0;
    int lossPlies = 0;
    bool drawn = false;
    for (int i = 0; i < m_rootMoves.count; ++i) {
        const Move& move = m_rootMoves.moves[i];
        const DrawCounters after = countersAfter(m_rootCounters, m_root, move);
        const bool zeroing = after.quietPlies == 0;
        const std::optional<EndgameValue> known = m_tables->probe(move.reply);
        const int left = m_tables->limit() - tableCount(m_rules, after);
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
    // Drawn: the search chooses among the moves that keep the draw.
    if (drawn)
        return -1;
    value = -(TABLE_WIN - lossPlies);
    return longestLoss;
}

bool TimedSearch::drawn(const PackedPosition& position, int ply, const DrawCounters& counters) const
{
    // Only a position with the same side to move, since the last irreversible move, repeats.
    const int at = m_historyLength + ply;
    for (int back = 2; back <= counters.quietPlies && back <= at; back += 2) {
        if (m_line[at - back] == position)
            return true;
    }
    if (counters.draw(m_rules, position) == DrawCounters::Draw::NONE)
        return false;
    // A side that cannot move has lost, whatever the counts say.
    return m_generator.hasCapture(position) || Evaluation::hasSimpleMove(position);
}

bool TimedSearch::knownValue(const PackedPosition& position, int depth, int alpha, int beta,
                             int ply, const DrawCounters& counters, int& known,
                             std::uint8_t& hint) const
{
    hint = TranspositionTable::NO_MOVE;
    if (!m_table.usable())
        return false;
    const TranspositionTable::Entry* entry = m_table.find(position, depth, hint);
    // The table holds values found without the draw rules: they hold here only where no rule
    // can fall due within their reach.
    if (!entry || counters.pliesToDraw(m_rules, position) <= depth + FORCED_PLIES_ALLOWED)
        return false;
    known = fromTable(entry->value, ply);
    return entry->bound == TranspositionTable::EXACT ||
           (entry->bound == TranspositionTable::LOWER && known >= beta) ||
           (entry->bound == TranspositionTable::UPPER && known <= alpha);
}

// The value of the position for side 2 to move with `depth` plies left before the captures
// are followed out: exact inside (alpha, beta), otherwise a bound on the side it fell.
int TimedSearch::value(const PackedPosition& position, int depth, int alpha, int beta, int ply,
                       const DrawCounters& counters)
{
    ++m_nodes;
    if (outOfTime())
        return 0;
    m_line[m_historyLength + ply] = position;
    if (drawn(position, ply, counters)) {
        m_drawSeen = true;
        return DRAW;
    }
    if (m_tables && m_tables->covers(position)) {
        if (const std::optional<EndgameValue> known = m_tables->probe(position)) {
            // A table's win holds only within the draw rules' count, which depends on the way
            // the position was reached.
            if (known->outcome != EndgameValue::Outcome::DRAW)
                m_drawSeen = true;
            return tableValue(*known, ply, counters);
        }
    }
    if (depth <= 0)
        return quiescence(position, alpha, beta, ply);
    if (ply >= MAX_PLY - 1)
        return m_evaluation.value(position);

    // The one place where the value of a position may be known without a search.
    std::uint8_t hint;
    int known;
    if (knownValue(position, depth, alpha, beta, ply, counters, known, hint))
        return known;

    MoveGenerator::List& list = m_moves[ply];
    m_generator.generate(position, list);
    const int count = list.count;
    if (count == 0)
        return -WIN + ply;
    orderMoves(list, hint, ply);
    // A forced move costs no depth: the line it starts is as narrow as a line can be.
    const int next = count == 1 ? depth : depth - 1;

    // Whether a draw by the game's rules decided anything below this position.
    const bool drawAbove = std::exchange(m_drawSeen, false);
    int best = -INFINITE;
    std::uint8_t bestMove = TranspositionTable::NO_MOVE;
    int floor = alpha;
    for (int n = 0; n < count; ++n) {
        const Move& move = list.moves[m_order[ply][n]];
        const DrawCounters after = countersAfter(counters, position, move);
        int moveValue;
        if (n == 0) {
            moveValue = -value(move.reply, next, -beta, -floor, ply + 1, after);
        } else {
            // Late quiet moves of a well-ordered list rarely matter: a shallower look first, the
            // full depth only for one that seems to beat the best so far.
            const bool reduce = n >= LATE_MOVE && depth >= REDUCED_FROM_DEPTH && move.jumps == 0;
            moveValue =
                -value(move.reply, reduce ? next - 1 : next, -floor - 1, -floor, ply + 1, after);
            if (reduce && !m_stopped && moveValue > floor)
                moveValue = -value(move.reply, next, -floor - 1, -floor, ply + 1, after);
            if (!m_stopped && moveValue > floor && moveValue < beta)
                moveValue = -value(move.reply, next, -beta, -floor, ply + 1, after);
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
        // A value a draw decided holds only for this way to the position: the move is kept
        // as a hint, the value is not.
        if (m_drawSeen)
            m_table.storeHint(position, depth, bestMove);
        else
            m_table.store(position, depth, toTable(best, ply), bound, bestMove);
    }
    m_drawSeen = m_drawSeen || drawAbove;
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
    if ((m_stop && m_stop->load(std::memory_order_relaxed)) || m_budget.spent())
        m_stopped = true;
    return m_stopped;
}

// The chosen move, then the moves the table holds as best, each in the position the one before
// leads to, until a position comes again or the table knows no move.
void TimedSearch::findPrincipalVariation(const PackedPosition& root, int bestIndex)
{
    const int longest = std::max(m_finishedDepth, 1);
    m_principal.reserve(static_cast<std::size_t>(longest));
    PackedPosition position = root;
    int index = bestIndex;
    MoveGenerator::List& list = m_moves[0];
    list = m_rootMoves;
    for (int ply = 0; ply < longest; ++ply) {
        const Move& move = list.moves[index];
        // Every other move is the opponent's, made on the board turned round.
        const auto onRootBoard = [&](int square) {
            return ply % 2 == 0 ? square : SQUARES - 1 - square;
        };
        m_principal.push_back({onRootBoard(move.from), onRootBoard(move.to), move.jumps});
        position = move.reply;
        m_line[ply] = position;
        if (std::find(m_line, m_line + ply, position) != m_line + ply)
            break;
        std::uint8_t hint;
        m_table.find(position, 0, hint);
        m_generator.generate(position, list);
        if (hint >= list.count)
            break;
        index = hint;
    }
}
