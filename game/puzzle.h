#pragma once

#include "gamerecord.h"
#include "pdn.h"

#include "engine/movegenerator.h"
#include "engine/packedposition.h"

#include <optional>
#include <string>

class ProofSearch;

// A combination to solve: a position whose side to move (side 1 of its record, at the bottom)
// wins what the puzzle promises against every defence, with the main line that shows how. The
// goal is material in ProofSearch's half men (ProofSearch::GOAL, two men, for the puzzles the
// engine makes) or ProofSearch::WIN for the game. In PDN a puzzle is one game: SetUp and FEN,
// GameType, the tags Goal ("2" men or "win"), Plies (the solution's length) and Difficulty,
// and the main line as its moves.
class Puzzle
{
public:
    enum class Difficulty { EASY, MEDIUM, HARD };
    // What the first move is: a piece offered, a quiet move, or a plain capture (the least
    // surprising, so the last of its grade).
    enum class Kind { SACRIFICE, QUIET, CAPTURE };
    static constexpr int EASY_PLIES = 5;
    static constexpr int MEDIUM_PLIES = 9;
    // Puzzles of a person's own files promise the game unless their Goal tag says otherwise.
    static constexpr int MAX_GOAL_MEN = 24;

    // record: starts at the puzzle, side 1 to move, and holds the main line (possibly empty);
    // plies: the solution's length (0: the line's).
    Puzzle(GameRecord record, int goal, int plies);

    const GameRecord& record() const { return m_record; }
    int goal() const { return m_goal; }
    int plies() const { return m_plies; }
    Difficulty difficulty() const;
    Kind kind() const;
    // The starting position's FEN, which names the puzzle.
    std::string fen() const;
    // The puzzle as a PDN game; `event` goes into the Event tag.
    std::string pdn(const std::string& event) const;

    // A game read from PDN as a puzzle: it must set up a position (FEN) whose side to move is
    // side 1 of the record (read with fenColour) and has a legal move; nothing, with the reason
    // in *why, otherwise.
    static std::optional<Puzzle> fromGame(const Pdn::Game& game, std::string* why);
    // The colour the side to move of a game's FEN tag plays (White without one): the colour to
    // read a puzzle with, so that the solver is side 1.
    static Colour fenColour(const Pdn::TagValues& tags);

    // Proves the puzzle again with a search of ProofSearch::PROOF_PLIES: nothing when it is a
    // puzzle whose single winning first move is the main line's and wins the goal; otherwise
    // why not.
    std::optional<std::string> prove(ProofSearch& search) const;

    static const char* difficultyName(Difficulty difficulty);
    static MoveGenerator::Rules generatorRules(int rulesCode);
    // A position of the engine's orientation with `sideToMove` to move, as the side 2 of a
    // packed position; and back.
    static PackedPosition packed(const Position& position, int sideToMove);
    static Position unpacked(const PackedPosition& packed, int sideToMove);

private:
    GameRecord m_record;
    int m_goal;
    int m_plies;
};
