#pragma once

#include "gamemove.h"
#include "thinker.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Checkers;
class GameRecord;

// The move the computer would play for the side to move: its search, with the settings of the
// game's engine, on the record's position, run on an engine of its own, so that the game's
// engine, its undo list and the record stay as they were. That engine is made by the first hint
// and kept, with the tables its first search allocates, until a hint is asked under the other rule
// set. The search draws its random numbers like any search of the computer's. The game's own
// hint is Grandmaster's search on HINT_MS instead, run by a Thinker: job() asks for it and
// suggestion() names its result, so that it shares the Thinker's engine with the replies.
class Hint
{
public:
    struct Suggestion {
        GameMove move; // a legal move of the side to move
        // The landing squares a person chooses for it, short of its final square: its whole
        // route when another legal move shares its start and final square, otherwise none.
        std::vector<int> landings;
        std::string text; // in standard notation, as the record writes the move once played
    };

    // The budget of the hint's search: the hint is advice, so it is the strongest search at any
    // level, Grandmaster's, on a budget short enough to wait for.
    static constexpr int HINT_MS = 500;

    // The search that finds the hint for the side to move of `record`, for a Thinker.
    static Thinker::Job job(const GameRecord& record);
    // The suggestion for the side to move of `record` whose move leads to `after`; nullopt when
    // no legal move does (the game has moved on, or it is over).
    static std::optional<Suggestion> suggestion(const GameRecord& record, const Position& after);

    Hint();
    ~Hint();
    Hint(const Hint&) = delete;
    Hint& operator=(const Hint&) = delete;

    // The suggestion for the side to move of `record`, searched as `player` searches (its
    // level, or Grandmaster's move time and depth); nullopt once the game is over.
    std::optional<Suggestion> find(const GameRecord& record, const Checkers& player);

    // The engine that searched the last hint; null before the first.
    const Checkers* engine() const { return m_engine.get(); }

private:
    std::unique_ptr<Checkers> m_engine;
};
