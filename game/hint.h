#pragma once

#include "gamemove.h"

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
// set. The search draws its random numbers like any search of the computer's.
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
