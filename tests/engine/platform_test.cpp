// The engine decides alike on every processor. The reader's 32-bit ARM has 32-bit long, size_t
// and pointers and an unsigned char, the build machine's x86-64 none of these; the digests below
// were taken on x86-64, and the same test run under qemu-arm checks the ARM build against them.

#include "support/randomgames.h"

#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

constexpr size_t POSITIONS = 300; // not scaled: the digests are of exactly these
constexpr int LOWEST_LEVEL = 2;
constexpr int LEVELS = 6; // levels 2 to 7 in turn

constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325ULL;
constexpr std::uint64_t FNV_PRIME = 0x100000001b3ULL;

std::uint64_t digest(std::uint64_t hash, const std::string& text)
{
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= FNV_PRIME;
    }
    return hash;
}

// Every decision of the search on positions from random games: the value, the position after
// the move and the next random number, which shows how often the choice among equals drew.
template <typename Rules> std::uint64_t decisions(unsigned gamesSeed)
{
    Rules scratch;
    Rules engine;
    std::uint64_t hash = FNV_OFFSET;
    const std::vector<std::string> positions = RandomGames(scratch, gamesSeed).positions(POSITIONS);
    for (size_t i = 0; i < positions.size(); ++i) {
        engine.fromString(positions[i]);
        engine.level = LOWEST_LEVEL + static_cast<int>(i % LEVELS);
        std::srand(static_cast<unsigned>(i));
        const int value = engine.go2();
        hash = digest(hash, std::to_string(value) + ' ' + engine.toString(false) +
                                std::to_string(std::rand()) + '\n');
    }
    return hash;
}

TEST(Platform, SearchDecidesAsOnTheBuildMachine)
{
    EXPECT_EQ(decisions<ECheckers>(21), 0x548df92af28c134cULL);
    EXPECT_EQ(decisions<RCheckers>(22), 0xc3879ccf3cfdf7ffULL);
}

} // namespace
