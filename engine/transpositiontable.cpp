#include "transpositiontable.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

void TranspositionTable::FreeDeleter::operator()(Bucket* buckets) const
{
    std::free(buckets);
}

TranspositionTable::TranspositionTable(std::size_t entries) : m_bucketCount(entries / 2)
{
    // calloc: the pages are zero (every entry EMPTY) without being touched, so that an engine,
    // made for every game, costs nothing until it searches.
    m_buckets.reset(static_cast<Bucket*>(std::calloc(m_bucketCount, sizeof(Bucket))));
    if (!m_buckets)
        m_bucketCount = 0;
}

void TranspositionTable::clear()
{
    std::fill(m_buckets.get(), m_buckets.get() + m_bucketCount, Bucket{});
}

const TranspositionTable::Entry* TranspositionTable::find(const PackedPosition& position, int plies,
                                                          std::uint8_t& hint) const
{
    const Bucket& bucket = bucketFor(position);
    const Entry* found = nullptr;
    hint = NO_MOVE;
    for (const Entry* entry : {&bucket.deep, &bucket.recent}) {
        if (entry->bound == EMPTY || entry->position != position)
            continue;
        if (entry->plies == plies && entry->bound != MOVE_ONLY)
            found = entry;
        if (hint == NO_MOVE || entry->plies == plies)
            hint = entry->bestMove;
    }
    return found;
}

void TranspositionTable::store(const PackedPosition& position, int plies, int value, Bound bound,
                               std::uint8_t bestMove)
{
    Bucket& bucket = const_cast<Bucket&>(bucketFor(position));
    const Entry entry{position, static_cast<std::int16_t>(value), static_cast<std::uint8_t>(plies),
                      bound, bestMove};
    const bool sameAsDeep = bucket.deep.position == position && bucket.deep.plies == plies;
    if (sameAsDeep || bucket.deep.bound == EMPTY || plies >= bucket.deep.plies)
        bucket.deep = entry;
    else
        bucket.recent = entry;
}
