#pragma once

#include "endgameindex.h"
#include "movegenerator.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// The layout of a rule set's endgame table file, shared by the writer and the reader.
//
// A header (magic, version, rules, the materials with their first block, each block's offset,
// length and checksum, and a checksum of the header itself), then the blocks: BLOCK_ENTRIES
// one-byte values each, run-length coded. All numbers little-endian, 32 bits.
class EndgameFile
{
public:
    static constexpr std::uint32_t BLOCK_ENTRIES = 8192;
    // Bounds a damaged header cannot push the reader beyond.
    static constexpr std::uint32_t MAX_MATERIALS = 4096;
    static constexpr std::uint32_t MAX_BLOCKS = 1u << 22;
    static constexpr std::uint32_t MAX_BLOCK_BYTES = 2 * BLOCK_ENTRIES;

    struct Table {
        EndgameIndex::Material material;
        std::uint64_t size = 0;
        std::uint32_t firstBlock = 0;
    };
    struct Block {
        std::uint32_t offset = 0; // from the start of the file
        std::uint32_t length = 0;
        std::uint32_t checksum = 0;
    };
    struct Header {
        MoveGenerator::Rules rules = MoveGenerator::Rules::ENGLISH;
        std::vector<Table> tables;
        std::vector<Block> blocks;
    };

    static std::string fileName(MoveGenerator::Rules rules);

    // Writes the tables (values[i] holds tables[i]'s values) to `path` through a temporary file
    // renamed over it; false with the reason in `error` on failure.
    static bool write(const std::string& path, MoveGenerator::Rules rules,
                      const std::vector<EndgameIndex::Material>& materials,
                      const std::vector<std::vector<std::uint8_t>>& values, std::string& error);
    // Reads and checks the header; false with the reason on a short, foreign or damaged one.
    static bool readHeader(std::istream& in, Header& header, std::string& error);
    // Reads block `number` into `values` (BLOCK_ENTRIES bytes); false on damage.
    static bool readBlock(std::istream& in, const Block& block, std::vector<std::uint8_t>& values);

    static std::uint32_t checksum(const std::uint8_t* data, std::size_t length);
    static std::vector<std::uint8_t> compress(const std::uint8_t* values, std::size_t count);
    // False when the bytes do not decode to exactly `count` values.
    static bool decompress(const std::vector<std::uint8_t>& bytes, std::uint8_t* values,
                           std::size_t count);
};
