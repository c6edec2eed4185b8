#pragma once

#include "gamerecord.h"
#include "puzzle.h"

#include "engine/proofsearch.h"

#include <optional>

// Solving one puzzle: the person plays the solving side (side 1 of the record), the computer
// answers each move with the best defence its own ProofSearch finds (keeping to the stored line
// where that is among the best, so that hints stay on it), and the puzzle is solved when the
// promised material is won in a position without a capture pending, or the game is won.
//
// A move that is a solution keeps the goal within the plies left (the stored line's move always
// is). Any other move is "not the solution": the computer's refutation is played and then both
// are taken back, so the person tries again from where they were. The searches run on the
// caller's thread: a view runs them off its own, on its own session.
class PuzzleSession
{
public:
    enum class Outcome {
        REFUSED,      // not a legal move of the solver now (or the puzzle is over)
        NOT_SOLUTION, // answered and taken back
        CONTINUE,     // a solution move: the computer's answer is due (answer())
        SOLVED,
    };
    struct Result {
        Outcome outcome = Outcome::REFUSED;
        // NOT_SOLUTION: the reply that refutes the move, already taken back with it (none when
        // the move left the defender no move).
        std::optional<GameMove> refutation;
    };
    // The table is small: the reader has little memory, and a puzzle's tree is small.
    static constexpr int TABLE_BITS = 16;

    explicit PuzzleSession(const Puzzle& puzzle);

    const Puzzle& puzzle() const { return m_puzzle; }
    // The game so far from the puzzle's start: the solver is side 1, at the bottom.
    const GameRecord& record() const { return m_record; }
    bool solved() const { return m_solved; }
    // The solver has played a solution move and the computer is to answer.
    bool answerDue() const;
    // What the solver has won so far, in ProofSearch's half men.
    int gain() const;

    // The solver's move, one of record().legalMoves() while it is the solver's turn.
    Result play(const GameMove& move);
    // Plays the computer's best defence when answerDue(); the move played.
    std::optional<GameMove> answer();
    // The next solution move for the solver (the stored line's while the game follows it),
    // not played; nothing when it is not the solver's turn or the puzzle is over.
    std::optional<GameMove> hint();

private:
    int pliesLeft() const;
    // Does the game still follow the stored line?
    bool onLine() const;
    const GameMove* lineMove() const;
    bool isSolution(const GameMove& move);
    // The defender's best reply in the record's position (side 2 to move).
    std::optional<GameMove> defence();
    void judgeSolved();

    Puzzle m_puzzle;
    GameRecord m_record;
    ProofSearch m_search;
    int m_startBalance;
    bool m_solved = false;
};
