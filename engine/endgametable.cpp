#include "endgametable.h"

#include "endgamegenerator.h"

#include <iostream>

namespace
{

constexpr int KINDS = EndgameIndex::MAX_OF_A_KIND + 1;

int packed(const EndgameIndex::Material& m)
{
    return ((m.men * KINDS + m.kings) * KINDS + m.otherMen) * KINDS + m.otherKings;
}

} // namespace

EndgameTable::EndgameTable(std::size_t cacheBytes)
    : m_capacity(std::max<std::size_t>(1, cacheBytes / EndgameFile::BLOCK_ENTRIES))
{
}

bool EndgameTable::open(const std::string& directory, MoveGenerator::Rules rules,
                        std::string& error)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
    m_cache.clear();
    m_cached.clear();
    m_file.close();
    const std::string path = directory + "/" + EndgameFile::fileName(rules);
    m_file.clear();
    m_file.open(path, std::ios::binary);
    if (!m_file) {
        error = "no endgame tables at " + path;
        return false;
    }
    if (!EndgameFile::readHeader(m_file, m_header, error)) {
        error = path + ": " + error;
        return false;
    }
    if (m_header.rules != rules) {
        error = path + ": tables of the other rule set";
        return false;
    }
    m_tableOf.assign(KINDS * KINDS * KINDS * KINDS, -1);
    for (std::size_t t = 0; t < m_header.tables.size(); ++t)
        m_tableOf[packed(m_header.tables[t].material)] = static_cast<int>(t);
    m_open = true;
    return true;
}

bool EndgameTable::isOpen() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_open;
}

int EndgameTable::limit() const
{
    return EndgameGenerator::limit(m_header.rules);
}

int EndgameTable::tableOf(const PackedPosition& position) const
{
    if (m_tableOf.empty())
        return -1;
    const EndgameIndex::Material m = EndgameIndex::materialOf(position);
    for (const int kind : {m.men, m.kings, m.otherMen, m.otherKings})
        if (kind > EndgameIndex::MAX_OF_A_KIND)
            return -1;
    return m_tableOf[packed(m)];
}

bool EndgameTable::covers(const PackedPosition& position) const
{
    return tableOf(position) >= 0;
}

std::optional<EndgameValue> EndgameTable::probe(const PackedPosition& position) const
{
    if (EndgameGenerator::noPieces(position) && position.side1 != 0 && isOpen())
        return EndgameValue{EndgameValue::Outcome::LOSS, 0};
    const int table = tableOf(position);
    if (table < 0)
        return std::nullopt;
    const EndgameFile::Table& entry = m_header.tables[table];
    const std::uint64_t index = EndgameIndex::indexOf(position, entry.material);
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::uint8_t>* values =
        block(entry.firstBlock + static_cast<std::uint32_t>(index / EndgameFile::BLOCK_ENTRIES));
    if (!values)
        return std::nullopt;
    return EndgameValue::decode((*values)[index % EndgameFile::BLOCK_ENTRIES]);
}

const std::vector<std::uint8_t>* EndgameTable::block(std::uint32_t number) const
{
    if (!m_open)
        return nullptr;
    const auto found = m_cached.find(number);
    if (found != m_cached.end()) {
        m_cache.splice(m_cache.begin(), m_cache, found->second);
        return &found->second->values;
    }
    CachedBlock loaded{number, {}};
    if (m_cache.size() >= m_capacity) {
        // The least recently used block makes room, its buffer reused.
        loaded.values.swap(m_cache.back().values);
        m_cached.erase(m_cache.back().number);
        m_cache.pop_back();
    }
    if (!EndgameFile::readBlock(m_file, m_header.blocks[number], loaded.values)) {
        std::cerr << "Endgame tables: block " << number
                  << " is damaged (checksum); playing without tables\n";
        m_open = false;
        return nullptr;
    }
    m_cache.push_front(std::move(loaded));
    m_cached[number] = m_cache.begin();
    return &m_cache.front().values;
}
