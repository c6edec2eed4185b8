// The hint: the computer's own decision for the side to move, on an engine of its own; and the
// worker the game searches hints and replies on.

#include "game/gamerecord.h"
#include "game/hint.h"
#include "game/ruleset.h"
#include "tests/support/positions.h"
#include "tests/support/randomgames.h"
#include "tests/support/sharedends.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

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

// The hint's budget, not the level's: Grandmaster's search for HINT_MS on the record's position,
// for the side to move.
TEST(Hint, JobIsGrandmastersSearchOnItsOwnBudget)
{
    GameRecord record(ruleset::RUSSIAN, Colour::Black);
    const Thinker::Job job = Hint::job(record);
    EXPECT_EQ(job.moveTimeMs, Hint::HINT_MS);
    EXPECT_EQ(job.sideToMove, 2);
    EXPECT_EQ(job.position, record.position());
    EXPECT_EQ(job.rules, ruleset::RUSSIAN);
}

// The hint knows the game it is asked in: where the search's own choice, a king's step, would
// bring back a position the game has had, the hint plays another move (on the Thinker's job too).
TEST(Hint, DoesNotRepeatAPositionOfTheGame)
{
    // English: side 2's kings on 9 and 18 against side 1's king on 27, side 2 to move.
    Position root{};
    root.fill(FREE);
    root[9] = KING2;
    root[18] = KING2;
    root[27] = KING1;
    const std::unique_ptr<Checkers> player = ruleset::makeEngine(ruleset::ENGLISH);
    player->moveDepth = 8;
    // A hint's engine of its own, made by a first search (which seeds std::rand with the time),
    // then the same random draws for the hint looked at.
    const auto hinted = [&](const GameRecord& record) {
        Hint hint;
        hint.find(record, *player);
        std::srand(1);
        return hint.find(record, *player);
    };
    const std::optional<Hint::Suggestion> first =
        hinted(GameRecord(ruleset::ENGLISH, Colour::White, root, 2));
    ASSERT_TRUE(first);
    ASSERT_FALSE(first->move.isCapture());

    // The game came to the root from the position after that step: a side-1 king's step there
    // and back, and side 2's king back where it stood.
    GameRecord game(ruleset::ENGLISH, Colour::White, first->move.after, 1);
    const GameMove out = game.legalMoves().all().front();
    ASSERT_TRUE(game.play(out));
    ASSERT_TRUE(game.enter(first->move.to, {}, first->move.from) == GameRecord::Entry::PLAYED);
    ASSERT_TRUE(game.enter(out.to, {}, out.from) == GameRecord::Entry::PLAYED);
    ASSERT_EQ(game.position(), root);
    const std::optional<Hint::Suggestion> knowing = hinted(game);
    ASSERT_TRUE(knowing);
    EXPECT_NE(knowing->move.after, first->move.after);
    EXPECT_TRUE(Hint::job(game).history.given());
}

namespace
{

constexpr int LONG_SEARCH_MS = 60000; // far longer than any test waits
constexpr auto STOPPED_WITHIN = std::chrono::seconds(2);

// Collects what a Thinker delivers, from its worker thread.
struct Deliveries {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<Thinker::Ticket, Thinker::Result>> results;

    Thinker::Callback callback()
    {
        return [this](Thinker::Ticket ticket, const Thinker::Result& result) {
            std::lock_guard<std::mutex> lock(mutex);
            results.emplace_back(ticket, result);
            arrived.notify_all();
        };
    }
    bool waitFor(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, STOPPED_WITHIN, [&] { return results.size() >= count; });
    }
};

Thinker::Job jobAt(const GameRecord& record, int moveTimeMs, int depth)
{
    Thinker::Job job;
    job.rules = record.rules();
    job.position = record.position();
    job.sideToMove = record.sideToMove();
    job.moveTimeMs = moveTimeMs;
    job.depth = depth;
    return job;
}

void waitUntilSearching(const Thinker& thinker)
{
    while (!thinker.searching())
        std::this_thread::yield();
}

// How long the worker takes to go idle once asked to stop; fails past STOPPED_WITHIN.
long long millisecondsUntilIdle(const Thinker& thinker)
{
    const auto begin = std::chrono::steady_clock::now();
    while (thinker.busy()) {
        EXPECT_LT(std::chrono::steady_clock::now() - begin, STOPPED_WITHIN);
        if (std::chrono::steady_clock::now() - begin >= STOPPED_WITHIN)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 begin)
        .count();
}

} // namespace

// Each side's move, searched on the worker in either rule set, is a legal move of the position,
// delivered with the job's ticket and the depth finished.
TEST(Thinker, DeliversALegalMoveOfTheSideToMove)
{
    Deliveries deliveries;
    Thinker thinker(deliveries.callback());
    std::size_t count = 0;
    for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
        for (Colour side1 : {Colour::White, Colour::Black}) {
            GameRecord record(rules, side1);
            const Thinker::Ticket ticket = thinker.start(jobAt(record, 0, 3));
            ASSERT_TRUE(deliveries.waitFor(++count));
            const auto& [delivered, result] = deliveries.results.back();
            EXPECT_EQ(delivered, ticket);
            EXPECT_NE(record.legalMoves().leadingTo(result.after), nullptr);
            EXPECT_EQ(result.depth, 3);
        }
    }
}

// A job handed over while one runs stops it at once: only the new one is delivered. A cancel
// stops the running search at once (its stop flag is set when cancel returns), the worker is
// idle soon after, and nothing is delivered. The destructor stops a search and joins.
TEST(Thinker, StoppedSearchesAreNeverDelivered)
{
    Deliveries deliveries;
    const GameRecord record(ruleset::RUSSIAN, Colour::White);
    {
        Thinker thinker(deliveries.callback());
        thinker.start(jobAt(record, LONG_SEARCH_MS, 0));
        waitUntilSearching(thinker);
        const Thinker::Ticket second = thinker.start(jobAt(record, 0, 1));
        ASSERT_TRUE(deliveries.waitFor(1));
        EXPECT_EQ(deliveries.results.front().first, second);

        thinker.start(jobAt(record, LONG_SEARCH_MS, 0));
        waitUntilSearching(thinker);
        thinker.cancel();
        EXPECT_TRUE(thinker.stopping());
        std::cout << "idle " << millisecondsUntilIdle(thinker) << " ms after cancel\n";
        EXPECT_FALSE(thinker.busy());

        thinker.start(jobAt(record, LONG_SEARCH_MS, 0));
        waitUntilSearching(thinker);
    }
    std::lock_guard<std::mutex> lock(deliveries.mutex);
    EXPECT_EQ(deliveries.results.size(), std::size_t(1));
}
