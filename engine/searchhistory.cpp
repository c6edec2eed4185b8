#include "searchhistory.h"

#include <algorithm>
#include <memory>

namespace
{

int count(std::uint32_t set)
{
    return __builtin_popcount(set);
}

std::uint32_t menOf(const PackedPosition& position)
{
    return (position.side1 | position.side2) & ~position.kings;
}

} // namespace

SearchHistory SearchHistory::ofGame(MoveGenerator::Rules rules,
                                    const std::vector<PackedPosition>& positions)
{
    SearchHistory history;
    if (positions.empty())
        return history;
    history.m_given = true;
    history.m_root = positions.back();
    DrawCounters counters = DrawCounters::start(positions.front());
    for (std::size_t i = 1; i < positions.size(); ++i) {
        const PackedPosition& before = positions[i - 1];
        const PackedPosition& after = positions[i];
        // Men only go forward and pieces only leave the board: a changed set of men or fewer
        // pieces is a move that cannot be taken back; more kings is a crowning.
        const bool fewer = count(after.side1 | after.side2) != count(before.side1 | before.side2);
        const bool irreversible = fewer || menOf(after) != menOf(before);
        const bool forcesChanged = fewer || count(after.kings) != count(before.kings);
        counters = counters.next(rules, irreversible, forcesChanged, after);
    }
    history.m_counters = counters;

    // The position k plies before the root had the other side to move when k is odd.
    const int root = static_cast<int>(positions.size()) - 1;
    const int kept = std::min({counters.quietPlies, root, MAX_POSITIONS});
    for (int k = kept; k >= 1; --k) {
        const PackedPosition& earlier = positions[static_cast<std::size_t>(root - k)];
        history.m_positions.push_back(k % 2 == 1 ? earlier.rotated() : earlier);
    }
    return history;
}

SearchHistory SearchHistory::withCounters(const PackedPosition& root, const DrawCounters& counters)
{
    SearchHistory history;
    history.m_given = true;
    history.m_root = root;
    history.m_counters = counters;
    return history;
}

int SearchHistory::firstUnconnected(MoveGenerator::Rules rules,
                                    const std::vector<PackedPosition>& positions)
{
    MoveGenerator generator;
    generator.setRules(rules);
    // One list, made once: a history is checked once per search at most.
    const auto list = std::make_unique<MoveGenerator::List>();
    const int root = static_cast<int>(positions.size()) - 1;
    for (int i = 1; i <= root; ++i) {
        // Seen by its mover: the position k plies before the root is turned when k is odd.
        const auto seen = [&](int index) {
            const PackedPosition& position = positions[static_cast<std::size_t>(index)];
            return (root - index) % 2 == 1 ? position.rotated() : position;
        };
        generator.generate(seen(i - 1), *list);
        const PackedPosition next = seen(i);
        const auto leads = [&](const MoveGenerator::Move& move) { return move.reply == next; };
        if (std::none_of(list->moves, list->moves + list->count, leads))
            return i;
    }
    return -1;
}
