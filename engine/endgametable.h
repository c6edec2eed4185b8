#pragma once

#include "endgamefile.h"
#include "endgamevalue.h"
#include "movegenerator.h"

#include <cstdint>
#include <fstream>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// A rule set's endgame tables, read from disk block by block as positions are probed and kept
// in a cache of bounded size. Safe to probe from several threads. A block found damaged closes
// the tables (one line on standard error): from then on every probe answers nothing.
class EndgameTable
{
public:
    static constexpr std::size_t DEFAULT_CACHE_BYTES = 4u << 20; // 4 MiB

    explicit EndgameTable(std::size_t cacheBytes = DEFAULT_CACHE_BYTES);

    // Opens `directory`'s file of the rule set; false with the reason when it is missing or
    // damaged.
    bool open(const std::string& directory, MoveGenerator::Rules rules, std::string& error);
    bool isOpen() const;
    MoveGenerator::Rules rules() const { return m_header.rules; }
    // The plies without a capture or man's move the rule set allows (see EndgameValue).
    int limit() const;
    const EndgameFile::Header& header() const { return m_header; }

    // The value of the position for side 2, to move; nothing when its material is not in the
    // tables (or they are closed). A side without pieces has lost.
    std::optional<EndgameValue> probe(const PackedPosition& position) const;
    // Whether the material of the position is in the tables.
    bool covers(const PackedPosition& position) const;

private:
    struct CachedBlock {
        std::uint32_t number;
        std::vector<std::uint8_t> values;
    };

    int tableOf(const PackedPosition& position) const;
    const std::vector<std::uint8_t>* block(std::uint32_t number) const;

    std::size_t m_capacity; // blocks
    EndgameFile::Header m_header;
    std::vector<int> m_tableOf; // by packed material
    mutable std::mutex m_mutex;
    mutable std::ifstream m_file;
    mutable bool m_open = false;
    mutable std::list<CachedBlock> m_cache; // most recently used first
    mutable std::unordered_map<std::uint32_t, std::list<CachedBlock>::iterator> m_cached;
};
