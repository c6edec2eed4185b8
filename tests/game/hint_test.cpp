// The hint: the computer's own decision for the side to move, on an engine of its own.

#include "game/gamerecord.h"
#include "game/hint.h"
#include "game/ruleset.h"
#include "tests/support/positions.h"
#include "tests/support/randomgames.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

constexpr int SAMPLES = 12;
constexpr int SAMPLE_LEVEL = 4;

Position positionFrom(int rules, const std::string& text)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(rules);
    engine->fromString(text);
    return positionOf(*engine);
}

// The record of a game standing at `text` with `side` to move; side 1 plays the first mover.
GameRecord recordAt(int rules, const std::string& text, int side)
{
    return GameRecord(rules, ruleset::firstMover(rules), positionFrom(rules, text), side);
}

struct HintCase {
    const char* name;
    int rules;
    std::string position;
    int side;
    const char* text;
};

} // namespace

// The move the search finds, named as the record names it, for either side: the only move, and
// the one step of two that does not lose the man.
TEST(Hint, NamesTheComputersMoveForEitherSide)
{
    using positions::text;
    const HintCase cases[] = {
        {"side 1's only move", ruleset::RUSSIAN, text({{20, MAN1}, {0, MAN2}}), 1, "a3-b4"},
        {"side 2's only move", ruleset::RUSSIAN, text({{11, MAN2}, {31, MAN1}}), 2, "h6-g5"},
        {"side 1 keeps its man", ruleset::RUSSIAN, text({{22, MAN1}, {13, MAN2}}), 1, "e3-f4"},
        {"side 2 keeps its man", ruleset::RUSSIAN, text({{9, MAN2}, {18, MAN1}}), 2, "d6-c5"},
        {"English numbers", ruleset::ENGLISH, text({{21, MAN1}, {17, MAN2}, {28, MAN1}}), 1,
         "11x18"},
    };
    Hint hint;
    const std::unique_ptr<Checkers> player = ruleset::makeEngine(ruleset::RUSSIAN);
    player->level = SAMPLE_LEVEL; // the level is all the hint takes from it
    for (const HintCase& c : cases) {
        const GameRecord record = recordAt(c.rules, c.position, c.side);
        const std::optional<Hint::Suggestion> found = hint.find(record, *player);
        ASSERT_TRUE(found) << c.name;
        EXPECT_EQ(found->text, c.text) << c.name;
        EXPECT_EQ(found->move.side, c.side) << c.name;
        EXPECT_TRUE(found->landings.empty()) << c.name;
    }
}

// Where two captures share their start and final square, the hint chooses its landing squares,
// and its text lists them as the record writes the move once played.
TEST(Hint, ChoosesTheLandingsOfARouteThatNeedsThem)
{
    const std::string twoRoutes =
        positions::text({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}});
    GameRecord record = recordAt(ruleset::ENGLISH, twoRoutes, 1);
    const std::unique_ptr<Checkers> player = ruleset::makeEngine(ruleset::ENGLISH);
    Hint hint;
    const std::optional<Hint::Suggestion> found = hint.find(record, *player);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->move.from, 30);
    EXPECT_EQ(found->move.to, 14);
    ASSERT_EQ(found->landings.size(), 1u);
    EXPECT_TRUE(found->landings.front() == 21 || found->landings.front() == 23);
    EXPECT_EQ(record.enter(30, found->landings, 14), GameRecord::Entry::PLAYED);
    EXPECT_EQ(record.lastMove()->after, found->move.after);
    EXPECT_EQ(record.moveText(0), found->text);
}

// The hint is the search's own choice, random draws included: with the same seed an engine of
// the game decides alike, on the board turned round for side 1. The hint's engine is made once
// and kept while the rule set stays.
TEST(Hint, IsTheSearchsChoiceWithTheSameRandomDraws)
{
    for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
        const std::unique_ptr<Checkers> reference = ruleset::makeEngine(rules);
        reference->level = SAMPLE_LEVEL;
        RandomGames games(*reference, static_cast<unsigned>(rules));
        const std::vector<std::string> samples = games.positions(SAMPLES);
        Hint hint;
        hint.find(recordAt(rules, positions::start(), 1), *reference); // makes its engine
        const Checkers* const kept = hint.engine();
        unsigned seed = 1;
        for (const std::string& text : samples) {
            for (int side = 1; side <= 2; ++side) {
                ++seed;
                const GameRecord record = recordAt(rules, text, side);
                std::srand(seed);
                const std::optional<Hint::Suggestion> found = hint.find(record, *reference);
                ASSERT_TRUE(found) << text;

                placePosition(*reference, record.position());
                if (side == 1)
                    reference->rotate();
                std::srand(seed);
                reference->go2();
                if (side == 1)
                    reference->rotate();
                EXPECT_EQ(found->move.after, positionOf(*reference)) << text << " side " << side;
            }
        }
        EXPECT_EQ(hint.engine(), kept);
        EXPECT_EQ(hint.engine()->type(), rules);
    }
}

TEST(Hint, NoneOnceTheGameIsOver)
{
    // Side 1 to move without a man: the game is lost.
    const GameRecord record = recordAt(ruleset::RUSSIAN, positions::text({{0, MAN2}}), 1);
    ASSERT_TRUE(record.over());
    Hint hint;
    EXPECT_FALSE(hint.find(record, *ruleset::makeEngine(ruleset::RUSSIAN)));
}
