// The hint: the computer's own decision for the side to move, on an engine of its own.

#include "game/gamerecord.h"
#include "game/hint.h"
#include "game/ruleset.h"
#include "tests/support/positions.h"
#include "tests/support/randomgames.h"
#include "tests/support/sharedends.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

constexpr int SAMPLES = 12;
constexpr int SAMPLE_LEVEL = 4; // not the engine's own 2: the hint must take the game's level

} // namespace

// The hint is the search's own choice, random draws included: with the same seed an engine of
// the game decides alike, on the board turned round for side 1. Entered with the landing squares
// it chose, the move is played, and the record writes it as the hint named it. The hint's engine
// is made once and kept while the rule set stays.
TEST(Hint, IsTheSearchsChoiceNamedAsTheRecordWritesIt)
{
    int withLandings = 0;
    for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
        const std::unique_ptr<Checkers> player = ruleset::makeEngine(rules);
        player->level = SAMPLE_LEVEL;
        std::vector<std::string> samples = RandomGames(*player, rules).positions(SAMPLES);
        // Two captures of one man share their start and final square.
        samples.push_back(
            rules == ruleset::RUSSIAN
                ? sharedends::POSITIONS[0]
                : positions::text({{30, MAN1}, {25, MAN2}, {26, MAN2}, {17, MAN2}, {18, MAN2}}));
        Hint hint;
        const auto recordAt = [&](const std::string& text, int side) {
            player->fromString(text);
            return GameRecord(rules, ruleset::firstMover(rules), positionOf(*player), side);
        };
        hint.find(recordAt(positions::start(), 1), *player); // makes its engine, seeding rand()
        const Checkers* const kept = hint.engine();
        unsigned seed = 0;
        for (const std::string& text : samples) {
            for (int side = 1; side <= 2; ++side) {
                GameRecord record = recordAt(text, side);
                std::srand(++seed);
                const std::optional<Hint::Suggestion> found = hint.find(record, *player);
                ASSERT_EQ(found.has_value(), !record.over()) << text;
                if (!found)
                    continue;

                placePosition(*player, record.position());
                if (side == 1)
                    player->rotate();
                std::srand(seed);
                player->go2();
                if (side == 1)
                    player->rotate();
                EXPECT_EQ(found->move.after, positionOf(*player)) << text << " side " << side;

                const GameMove& move = found->move;
                ASSERT_EQ(record.enter(move.from, found->landings, move.to),
                          GameRecord::Entry::PLAYED);
                EXPECT_EQ(record.lastMove()->after, move.after) << text;
                EXPECT_EQ(record.moveText(record.moves().size() - 1), found->text) << text;
                withLandings += found->landings.empty() ? 0 : 1;
            }
        }
        EXPECT_EQ(hint.engine(), kept);
    }
    EXPECT_GT(withLandings, 0);
}

// Grandmaster's hint thinks as Grandmaster does: on its move time, not on the level's plies.
TEST(Hint, SearchesOnTheMoveTimeOfTheGame)
{
    const std::unique_ptr<Checkers> player = ruleset::makeEngine(ruleset::RUSSIAN);
    player->moveTime = 1;
    player->moveDepth = 2;
    Hint hint;
    ASSERT_TRUE(hint.find(GameRecord(ruleset::RUSSIAN, Colour::White), *player));
    EXPECT_EQ(hint.engine()->moveTime, player->moveTime);
    EXPECT_EQ(hint.engine()->moveDepth, player->moveDepth);
}
