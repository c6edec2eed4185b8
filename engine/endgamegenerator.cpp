#include "endgamegenerator.h"

#include <algorithm>

namespace
{

constexpr int KINDS = EndgameIndex::MAX_OF_A_KIND + 1;
constexpr int ENGLISH_LIMIT = 80; // 40 moves each without a man's move or capture
constexpr int RUSSIAN_LIMIT = 30; // 15 moves each of kings only

int packed(const EndgameIndex::Material& m)
{
    return ((m.men * KINDS + m.kings) * KINDS + m.otherMen) * KINDS + m.otherKings;
}

} // namespace

EndgameGenerator::EndgameGenerator(MoveGenerator::Rules rules, int pieces, int kingsOnly)
    : m_limit(limit(rules)), m_materials(EndgameIndex::materials(pieces, kingsOnly)),
      m_tableOf(KINDS * KINDS * KINDS * KINDS, -1)
{
    m_generator.setRules(rules);
    for (std::size_t t = 0; t < m_materials.size(); ++t)
        m_tableOf[packed(m_materials[t])] = static_cast<int>(t);
}

int EndgameGenerator::limit(MoveGenerator::Rules rules)
{
    return rules == MoveGenerator::Rules::RUSSIAN ? RUSSIAN_LIMIT : ENGLISH_LIMIT;
}

EndgameValue EndgameGenerator::settle(const Summary& summary, int limit)
{
    if (summary.moves == 0)
        return EndgameValue{EndgameValue::Outcome::LOSS, 0};
    if (summary.bestWin <= limit)
        return EndgameValue{EndgameValue::Outcome::WIN, summary.bestWin};
    if (summary.allLose && summary.worstLoss <= limit)
        return EndgameValue{EndgameValue::Outcome::LOSS, summary.worstLoss};
    return EndgameValue{};
}

int EndgameGenerator::tableOf(const EndgameIndex::Material& m) const
{
    for (const int kind : {m.men, m.kings, m.otherMen, m.otherKings})
        if (kind > EndgameIndex::MAX_OF_A_KIND)
            return -1;
    return m_tableOf[packed(m)];
}

std::uint8_t EndgameGenerator::code(const PackedPosition& position) const
{
    if (noPieces(position))
        return EndgameValue{EndgameValue::Outcome::LOSS, 0}.encode();
    const EndgameIndex::Material material = EndgameIndex::materialOf(position);
    const int table = tableOf(material);
    // Every move leads to a material listed; an unknown one is never taken for a result.
    if (table < 0)
        return UNDECIDED;
    return m_values[table][EndgameIndex::indexOf(position, material)];
}

void EndgameGenerator::build()
{
    m_values.assign(m_materials.size(), {});
    for (std::size_t t = 0; t < m_materials.size(); ++t)
        m_values[t].assign(EndgameIndex::size(m_materials[t]), UNDECIDED);
    std::vector<bool> solved(m_materials.size(), false);
    for (std::size_t t = 0; t < m_materials.size(); ++t) {
        if (solved[t])
            continue;
        const int other = tableOf(m_materials[t].swapped());
        solvePair(static_cast<int>(t), other);
        solved[t] = true;
        solved[other] = true;
    }
}

void EndgameGenerator::solvePair(int table, int other)
{
    // Men's moves only go forward: slices with men further on are solved first, and a man's
    // move always leads into a solved one. Kings' moves stay in a slice and its turned-round
    // twin in the other side's table, which are solved together.
    const EndgameIndex::Material material = m_materials[table];
    const std::uint64_t sliceSize = EndgameIndex::sliceSize(material);
    const std::uint64_t slices = m_values[table].size() / sliceSize;
    std::vector<std::pair<int, std::uint64_t>> order; // advancement, slice
    for (std::uint64_t s = 0; s < slices; ++s) {
        PackedPosition men;
        if (EndgameIndex::menOfSlice(material, s, men))
            order.emplace_back(EndgameIndex::advancement(men), s);
        else
            std::fill_n(m_values[table].begin() + static_cast<std::ptrdiff_t>(s * sliceSize),
                        sliceSize, EndgameValue::DRAW_CODE);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const EndgameIndex::Material otherMaterial = m_materials[other];
    const std::uint64_t otherSliceSize = EndgameIndex::sliceSize(otherMaterial);
    std::vector<bool> done(slices, false);
    for (const auto& [advancement, s] : order) {
        if (done[s])
            continue;
        PackedPosition men;
        EndgameIndex::menOfSlice(material, s, men);
        const std::uint64_t twin =
            EndgameIndex::indexOf(men.rotated(), otherMaterial) / otherSliceSize;
        std::vector<Slice> unit{{table, s}};
        if (other != table || twin != s)
            unit.push_back({other, twin});
        solveUnit(unit);
        done[s] = true;
        if (other == table)
            done[twin] = true;
    }
    if (other != table) {
        // The twin table's invalid slices were never part of a unit.
        for (std::uint8_t& value : m_values[other])
            if (value == UNDECIDED)
                value = EndgameValue::DRAW_CODE;
    }
}

void EndgameGenerator::solveUnit(const std::vector<Slice>& unit)
{
    struct Open {
        int table;
        std::uint64_t index;
    };
    std::vector<Open> open;
    for (const Slice& slice : unit) {
        const EndgameIndex::Material material = m_materials[slice.table];
        const std::uint64_t size = EndgameIndex::sliceSize(material);
        for (std::uint64_t i = slice.number * size; i < (slice.number + 1) * size; ++i) {
            PackedPosition position;
            std::uint8_t& value = m_values[slice.table][i];
            if (!EndgameIndex::positionAt(material, i, position)) {
                value = EndgameValue::DRAW_CODE;
            } else if (m_generator.horizon(position, 1) == MoveGenerator::NO_MOVE) {
                value = EndgameValue{EndgameValue::Outcome::LOSS, 0}.encode();
            } else {
                open.push_back({slice.table, i});
            }
        }
    }
    const auto lookup = [this](const PackedPosition& reply) { return code(reply); };
    // Pass k settles exactly the positions k plies from their result: a position settled in
    // this pass, read by another later in it, counts k + 1 and waits for the next pass.
    for (int k = 1; k <= m_limit && !open.empty(); ++k) {
        std::vector<Open> still;
        for (const Open& entry : open) {
            PackedPosition position;
            EndgameIndex::positionAt(m_materials[entry.table], entry.index, position);
            const EndgameValue value = settle(summarize(m_generator, position, lookup), k);
            if (value.outcome == EndgameValue::Outcome::DRAW)
                still.push_back(entry);
            else
                m_values[entry.table][entry.index] = value.encode();
        }
        const bool progress = still.size() < open.size();
        open.swap(still);
        if (!progress)
            break;
    }
    for (const Open& entry : open)
        m_values[entry.table][entry.index] = EndgameValue::DRAW_CODE;
}
