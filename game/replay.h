#pragma once

#include "analysis.h"
#include "gamerecord.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A past game shown on the board one ply at a time: the position after the first ply() moves,
// from the game's start (its set-up position, if it had one) to its end, with everything a view
// shows of it as plain queries. The game is a copy: nothing here touches a game in progress.
class Replay
{
public:
    // The parts of the status line "Move 12 of 40: 12. c3-d4?? — better e3-f4", which the view
    // words (and translates); at the start, ply is 0 and the move is empty.
    struct Status {
        std::size_t ply = 0;   // moves shown
        std::size_t plies = 0; // moves of the game
        int moveNumber = 0;    // the shown move's number in the game's notation
        bool reply = false;    // the shown move is the second mover's ("12... f6-g5")
        std::string move;      // the shown move in standard notation
        std::string mark;      // "?", "??" or ""
        std::string better;    // the better move, when the shown move is marked
    };

    // Shows the game at `ply` (clamped to its moves).
    explicit Replay(GameRecord game, std::size_t ply = 0);

    const GameRecord& game() const { return m_game; }
    std::size_t ply() const { return m_ply; }
    std::size_t plies() const { return m_game.moves().size(); }
    bool atStart() const { return m_ply == 0; }
    bool atEnd() const { return m_ply == plies(); }

    // The position shown, in the engine's orientation, and its side to move.
    const Position& position() const;
    int sideToMove() const;
    // The move that led to the shown position, for the last-move marks; null at the start.
    const GameMove* lastMove() const;
    Status status() const;
    // The game's moves as rows of the moves dialog ("12. c3-d4??  f6xd4"), each move with its
    // mark once the analysis has judged it.
    std::vector<std::string> rows() const;

    // Steps; false (and nothing changed) at the end they would pass.
    bool back();
    bool forward();
    void toStart() { m_ply = 0; }
    void toEnd() { m_ply = plies(); }
    void show(std::size_t ply);
    // Shows the position after the next / previous marked move; false when there is none.
    bool nextMark();
    bool previousMark();

    // A new game from the shown position for the person at the keys to play the side to move
    // (at the bottom of the board) against the computer; nullopt when the shown position ends
    // the game.
    std::optional<GameRecord> playFromHere() const;

    // The analysis of the game: made by startAnalysis(), fed by whoever runs its searches.
    void startAnalysis();
    Analysis* analysis() { return m_analysis ? &*m_analysis : nullptr; }
    const Analysis* analysis() const { return m_analysis ? &*m_analysis : nullptr; }

private:
    // The move before the shown position, as a move index; nullopt at the start.
    std::optional<std::size_t> shownMove() const;
    std::string markOf(std::size_t move) const;
    int moveNumberOf(std::size_t move) const;

    GameRecord m_game;
    std::size_t m_ply;
    std::optional<Analysis> m_analysis;
};
