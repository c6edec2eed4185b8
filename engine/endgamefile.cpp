#include "endgamefile.h"

#include <cstdio>
#include <fstream>

namespace
{

constexpr char MAGIC[4] = {'C', 'K', 'T', 'B'};
constexpr std::uint32_t VERSION = 1;
constexpr std::size_t WORD = 4;
constexpr std::size_t PREAMBLE_WORDS = 5; // magic, version, rules, tables, blocks
constexpr std::size_t TABLE_WORDS = 4;    // material, size low, size high, first block
constexpr std::size_t BLOCK_WORDS = 3;
// Run-length code: a control byte below LITERAL_LIMIT starts control + 1 literal bytes, one
// at or above it repeats the next byte control - LITERAL_LIMIT + MIN_RUN times.
constexpr int LITERAL_LIMIT = 128;
constexpr int MIN_RUN = 3;
constexpr int MAX_RUN = 255 - LITERAL_LIMIT + MIN_RUN;
constexpr int BITS_PER_KIND = 8;

void put(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (std::size_t i = 0; i < WORD; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t get(const std::uint8_t* in)
{
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
           std::uint32_t{in[3]} << 24;
}

std::uint32_t packMaterial(const EndgameIndex::Material& m)
{
    return static_cast<std::uint32_t>(m.men | m.kings << BITS_PER_KIND |
                                      m.otherMen << 2 * BITS_PER_KIND |
                                      m.otherKings << 3 * BITS_PER_KIND);
}

EndgameIndex::Material unpackMaterial(std::uint32_t packed)
{
    const auto kind = [packed](int n) {
        return static_cast<int>((packed >> n * BITS_PER_KIND) & 0xFF);
    };
    return EndgameIndex::Material{kind(0), kind(1), kind(2), kind(3)};
}

bool readBytes(std::istream& in, std::uint8_t* data, std::size_t length)
{
    in.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(length));
    return static_cast<std::size_t>(in.gcount()) == length;
}

// CRC-32 (reflected, polynomial 0xEDB88320), a byte at a time.
struct CrcTable {
    std::uint32_t entry[256];
};

constexpr CrcTable makeCrcTable()
{
    CrcTable table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        table.entry[byte] = crc;
    }
    return table;
}

constexpr CrcTable CRC_TABLE = makeCrcTable();

std::uint64_t blocksFor(std::uint64_t size)
{
    return (size + EndgameFile::BLOCK_ENTRIES - 1) / EndgameFile::BLOCK_ENTRIES;
}

} // namespace

std::string EndgameFile::fileName(MoveGenerator::Rules rules)
{
    return rules == MoveGenerator::Rules::RUSSIAN ? "russian.cktb" : "english.cktb";
}

std::uint32_t EndgameFile::checksum(const std::uint8_t* data, std::size_t length)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i)
        crc = CRC_TABLE.entry[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

std::vector<std::uint8_t> EndgameFile::compress(const std::uint8_t* values, std::size_t count)
{
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    std::size_t literalStart = 0;
    const auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            const std::size_t n = std::min<std::size_t>(end - literalStart, LITERAL_LIMIT);
            out.push_back(static_cast<std::uint8_t>(n - 1));
            out.insert(out.end(), values + literalStart, values + literalStart + n);
            literalStart += n;
        }
    };
    while (i < count) {
        std::size_t run = 1;
        while (i + run < count && values[i + run] == values[i] && run < MAX_RUN)
            ++run;
        if (run >= MIN_RUN) {
            flushLiterals(i);
            out.push_back(static_cast<std::uint8_t>(run - MIN_RUN + LITERAL_LIMIT));
            out.push_back(values[i]);
            i += run;
            literalStart = i;
        } else {
            i += run;
        }
    }
    flushLiterals(count);
    return out;
}

bool EndgameFile::decompress(const std::vector<std::uint8_t>& bytes, std::uint8_t* values,
                             std::size_t count)
{
    std::size_t at = 0;
    std::size_t filled = 0;
    while (at < bytes.size()) {
        const int control = bytes[at++];
        if (control < LITERAL_LIMIT) {
            const std::size_t n = static_cast<std::size_t>(control) + 1;
            if (at + n > bytes.size() || filled + n > count)
                return false;
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + n), values + filled);
            at += n;
            filled += n;
        } else {
            const std::size_t n = static_cast<std::size_t>(control - LITERAL_LIMIT + MIN_RUN);
            if (at >= bytes.size() || filled + n > count)
                return false;
            std::fill(values + filled, values + filled + n, bytes[at++]);
            filled += n;
        }
    }
    return filled == count;
}

bool EndgameFile::write(const std::string& path, MoveGenerator::Rules rules,
                        const std::vector<EndgameIndex::Material>& materials,
                        const std::vector<std::vector<std::uint8_t>>& values, std::string& error)
{
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<Table> tables;
    for (std::size_t t = 0; t < materials.size(); ++t) {
        tables.push_back(
            Table{materials[t], values[t].size(), static_cast<std::uint32_t>(blocks.size())});
        for (std::size_t start = 0; start < values[t].size(); start += BLOCK_ENTRIES) {
            std::uint8_t block[BLOCK_ENTRIES] = {};
            const std::size_t n = std::min<std::size_t>(BLOCK_ENTRIES, values[t].size() - start);
            std::copy(values[t].begin() + static_cast<std::ptrdiff_t>(start),
                      values[t].begin() + static_cast<std::ptrdiff_t>(start + n), block);
            blocks.push_back(compress(block, BLOCK_ENTRIES));
        }
    }
    if (tables.size() > MAX_MATERIALS || blocks.size() > MAX_BLOCKS) {
        error = "too many tables for one file";
        return false;
    }
    std::vector<std::uint8_t> header(MAGIC, MAGIC + WORD);
    put(header, VERSION);
    put(header, rules == MoveGenerator::Rules::RUSSIAN ? 1 : 0);
    put(header, static_cast<std::uint32_t>(tables.size()));
    put(header, static_cast<std::uint32_t>(blocks.size()));
    for (const Table& table : tables) {
        put(header, packMaterial(table.material));
        put(header, static_cast<std::uint32_t>(table.size));
        put(header, static_cast<std::uint32_t>(table.size >> 32));
        put(header, table.firstBlock);
    }
    std::uint64_t offset = header.size() + blocks.size() * BLOCK_WORDS * WORD + WORD;
    for (const std::vector<std::uint8_t>& block : blocks) {
        if (offset + block.size() > 0xFFFFFFFFu) {
            error = "the tables exceed 4 GiB";
            return false;
        }
        put(header, static_cast<std::uint32_t>(offset));
        put(header, static_cast<std::uint32_t>(block.size()));
        put(header, checksum(block.data(), block.size()));
        offset += block.size();
    }
    put(header, checksum(header.data(), header.size()));

    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(header.data()),
                  static_cast<std::streamsize>(header.size()));
        for (const std::vector<std::uint8_t>& block : blocks)
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size()));
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temporary + " to " + path;
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool EndgameFile::readHeader(std::istream& in, Header& header, std::string& error)
{
    std::vector<std::uint8_t> bytes(PREAMBLE_WORDS * WORD);
    if (!readBytes(in, bytes.data(), bytes.size()) ||
        !std::equal(MAGIC, MAGIC + WORD, bytes.begin())) {
        error = "not an endgame table file";
        return false;
    }
    const std::uint32_t version = get(&bytes[WORD]);
    const std::uint32_t rules = get(&bytes[2 * WORD]);
    const std::uint32_t tableCount = get(&bytes[3 * WORD]);
    const std::uint32_t blockCount = get(&bytes[4 * WORD]);
    if (version != VERSION || rules > 1 || tableCount > MAX_MATERIALS || blockCount > MAX_BLOCKS) {
        error = "an endgame table file of another version or damaged";
        return false;
    }
    const std::uint64_t rest =
        (std::uint64_t{tableCount} * TABLE_WORDS + std::uint64_t{blockCount} * BLOCK_WORDS + 1) *
        WORD;
    // The header is read whole: never larger than the file claims to hold.
    const std::streampos here = in.tellg();
    in.seekg(0, std::ios::end);
    const std::streamoff available = in.tellg() - here;
    in.seekg(here);
    if (!in || available < 0 || rest > static_cast<std::uint64_t>(available)) {
        error = "the endgame table file is cut short";
        return false;
    }
    bytes.resize(bytes.size() + static_cast<std::size_t>(rest));
    if (!readBytes(in, bytes.data() + PREAMBLE_WORDS * WORD, rest)) {
        error = "the endgame table file is cut short";
        return false;
    }
    if (checksum(bytes.data(), bytes.size() - WORD) != get(&bytes[bytes.size() - WORD])) {
        error = "the endgame table file is damaged (checksum)";
        return false;
    }
    header.rules = rules == 1 ? MoveGenerator::Rules::RUSSIAN : MoveGenerator::Rules::ENGLISH;
    header.tables.clear();
    header.blocks.clear();
    const std::uint8_t* at = &bytes[PREAMBLE_WORDS * WORD];
    for (std::uint32_t t = 0; t < tableCount; ++t, at += TABLE_WORDS * WORD) {
        Table table{unpackMaterial(get(at)),
                    get(at + WORD) | std::uint64_t{get(at + 2 * WORD)} << 32, get(at + 3 * WORD)};
        if (table.size != EndgameIndex::size(table.material) ||
            table.firstBlock + blocksFor(table.size) > blockCount) {
            error = "the endgame table file is inconsistent";
            return false;
        }
        header.tables.push_back(table);
    }
    for (std::uint32_t b = 0; b < blockCount; ++b, at += BLOCK_WORDS * WORD) {
        const Block block{get(at), get(at + WORD), get(at + 2 * WORD)};
        if (block.length > MAX_BLOCK_BYTES) {
            error = "the endgame table file is inconsistent";
            return false;
        }
        header.blocks.push_back(block);
    }
    return true;
}

bool EndgameFile::readBlock(std::istream& in, const Block& block, std::vector<std::uint8_t>& values)
{
    std::vector<std::uint8_t> bytes(block.length);
    in.clear();
    in.seekg(block.offset);
    if (!in || !readBytes(in, bytes.data(), bytes.size()) ||
        checksum(bytes.data(), bytes.size()) != block.checksum)
        return false;
    values.resize(BLOCK_ENTRIES);
    return decompress(bytes, values.data(), values.size());
}
