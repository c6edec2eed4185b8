// The fast search against the full-width reference: for the same position, level and state of
// the random generator, the same move, the same value and the same random numbers drawn.

#include "support/randomgames.h"
#include "support/testscale.h"

#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace
{

constexpr size_t POSITIONS = 2000;       // scaled by CHECKERS_TEST_SCALE
constexpr size_t LEVEL_SHARE = 40;       // every level 2..6 is tried on more than 1 position in 40
constexpr double REFERENCE_BUDGET = 2e5; // positions the reference may search for one case
constexpr int SEEDS_EVERY = 10;          // every tenth position is tried with three seeds

struct Outcome {
    std::string position;
    int value;
    int nextRandom[3]; // equal only if both searches drew equally often
};

Outcome play(Checkers& engine, const std::string& position, int level, unsigned seed,
             bool reference)
{
    engine.fromString(position);
    engine.level = level;
    std::srand(seed);
    const int value = reference ? engine.go2Reference() : engine.go2();
    return {engine.toString(false), value, {std::rand(), std::rand(), std::rand()}};
}

// The deepest level from the cycle's choice down to 2 that the reference can afford.
int affordableLevel(Checkers& engine, const std::string& position, int wanted)
{
    struct Counter : MoveSink {
        void onMove(const int*, int) override { ++count; }
        int count = 0;
    } counter;
    engine.fromString(position);
    engine.generateMoves2(counter);
    const double branching = std::max(2, counter.count);
    int level = wanted;
    while (level > 2 && std::pow(branching, level) > REFERENCE_BUDGET * std::pow(4.0, level - 2))
        --level;
    return level;
}

template <typename Rules> void compare(unsigned gamesSeed)
{
    Rules scratch;
    const std::vector<std::string> positions =
        RandomGames(scratch, gamesSeed).positions(testscale::scaled(POSITIONS));
    Rules fast;
    Rules reference;
    int levelsSeen[7] = {};
    for (size_t i = 0; i < positions.size(); ++i) {
        const int level = affordableLevel(scratch, positions[i], 2 + static_cast<int>(i % 5));
        ++levelsSeen[level];
        const int seeds = i % SEEDS_EVERY == 0 ? 3 : 1;
        for (int s = 0; s < seeds; ++s) {
            const unsigned seed = static_cast<unsigned>(i * 7919 + s);
            const Outcome a = play(fast, positions[i], level, seed, false);
            const Outcome b = play(reference, positions[i], level, seed, true);
            ASSERT_EQ(a.position, b.position) << positions[i] << " level " << level;
            ASSERT_EQ(a.value, b.value) << positions[i] << " level " << level;
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(a.nextRandom[k], b.nextRandom[k]) << positions[i] << " level " << level;
        }
    }
    for (int level = 2; level <= 6; ++level)
        EXPECT_GT(static_cast<size_t>(levelsSeen[level]), positions.size() / LEVEL_SHARE)
            << "level " << level;
}

TEST(Differential, EnglishFastSearchDecidesAsTheReference)
{
    compare<ECheckers>(11);
}

TEST(Differential, RussianFastSearchDecidesAsTheReference)
{
    compare<RCheckers>(12);
}

} // namespace
