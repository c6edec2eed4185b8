#pragma once

#include "packedposition.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Values of positions already searched, by position and number of plies left. A stored value
// depends on nothing else, so an entry is exact knowledge for every later search of the same
// rule set, in this move or a later one; a value that depended on the way the position was
// reached is kept as its best move only (MOVE_ONLY). The whole table is allocated once, by the
// constructor; the search never allocates.
class TranspositionTable
{
public:
    enum Bound : std::uint8_t { EMPTY, EXACT, LOWER, UPPER, MOVE_ONLY };
    static constexpr std::uint8_t NO_MOVE = 0xFF;

    struct Entry {
        PackedPosition position;
        std::int16_t value;
        std::uint8_t plies;
        Bound bound;
        std::uint8_t bestMove; // index into the position's generated moves, or NO_MOVE
    };

    // entries: a power of two. Without the memory for it the table is unusable.
    explicit TranspositionTable(std::size_t entries);

    bool usable() const { return m_bucketCount != 0; }
    // Forgets every position; the memory stays the table's.
    void clear();
    // The entry with a value for the position searched to exactly `plies`, or null; hint
    // receives the best move of any entry for the position, whatever its plies.
    const Entry* find(const PackedPosition& position, int plies, std::uint8_t& hint) const;
    // Starts loading the position's place in the table, which a search is about to look up.
    void prefetch(const PackedPosition& position) const
    {
        __builtin_prefetch(&bucketFor(position));
    }
    void store(const PackedPosition& position, int plies, int value, Bound bound,
               std::uint8_t bestMove);
    // Keeps the best move found for the position, without a value.
    void storeHint(const PackedPosition& position, int plies, std::uint8_t bestMove)
    {
        store(position, plies, 0, MOVE_ONLY, bestMove);
    }

    // Memory a table of so many entries takes.
    static std::size_t bytesFor(std::size_t entries) { return entries / 2 * sizeof(Bucket); }

private:
    // One slot kept for the deeper search, one always replaced.
    struct Bucket {
        Entry deep;
        Entry recent;
    };
    struct FreeDeleter {
        void operator()(Bucket* buckets) const;
    };

    const Bucket& bucketFor(const PackedPosition& position) const
    {
        return m_buckets[position.hash() & (m_bucketCount - 1)];
    }

    std::size_t m_bucketCount;
    std::unique_ptr<Bucket[], FreeDeleter> m_buckets;
};
