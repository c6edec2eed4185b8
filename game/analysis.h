#pragma once

#include "engine/position.h"
#include "gamerecord.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Where a game was lost: each move judged by the value it gives up against the best move of its
// position, from the mover's side, in hundredths of a man. The searches are not made here: the
// positions to value are handed out one at a time (next()) and what a search found is fed back
// (feed()), so that whoever runs them (a worker thread, a command-line loop) decides when and
// where. A position with a single legal move needs no search: it is worth what the position after
// its move is worth to the other side, and its move is never marked.
class Analysis
{
public:
    // What a move gave up: at least MISTAKE is a mistake "?", at least BLUNDER (a man) or a won
    // game thrown away is a blunder "??".
    static constexpr int MISTAKE = 40;
    static constexpr int BLUNDER = 100;
    enum class Mark { NONE, MISTAKE, BLUNDER };

    // A position to be valued for its side to move, `side` (1 or 2), before move `ply` (or after
    // the last move, when `ply` is the number of moves).
    struct Request {
        std::size_t ply = 0;
        int rules = 0;
        Position position{}; // in the engine's orientation, as the record keeps it
        int side = 1;
    };
    // What a search of a request found: the position's value for its side to move, and the
    // position after the move the search chose.
    struct Found {
        int value = 0;
        Position bestAfter{};
    };
    // The judgement of one move, once the values it needs are known.
    struct Verdict {
        bool judged = false;
        int value = 0;     // what the move played is worth to its mover
        int bestValue = 0; // what the best move found is worth to its mover
        std::string best;  // the best move found, in standard notation
        Mark mark = Mark::NONE;
    };

    explicit Analysis(const GameRecord& game);

    // "?" and "??", or "" for no mark.
    static const char* markText(Mark mark);

    // Searches the whole analysis takes, and those fed so far: the progress "Analysing 12 of 40".
    std::size_t total() const { return m_requests.size(); }
    std::size_t done() const { return m_done; }
    bool finished() const { return m_done == m_requests.size(); }
    // The next position to search, in the order of the game; nullopt when all have been fed.
    std::optional<Request> next() const;
    // What the search of next() found. A Found for another position than next()'s is refused.
    bool feed(const Request& request, const Found& found);

    const GameRecord& game() const { return m_game; }
    // The judgement of moves()[move]; not judged until the searches it needs have been fed.
    const Verdict& verdict(std::size_t move) const { return m_verdicts.at(move); }
    // The first marked move after `move` / the last one before it (for N and Shift+N); any
    // move when `move` is nullopt (the start of the game, before every move).
    std::optional<std::size_t> nextMark(std::optional<std::size_t> move) const;
    std::optional<std::size_t> previousMark(std::optional<std::size_t> move) const;

private:
    // The value of the position before move `ply` (or after the last) for its side to move, when
    // it is known.
    std::optional<int> valueAt(std::size_t ply) const;
    void judge();

    GameRecord m_game;
    std::vector<Request> m_requests;
    std::vector<std::optional<Found>> m_found; // by ply, 0..moves
    std::vector<std::string> m_bestText;       // by ply: the text of the move found
    std::vector<bool> m_forced;                // by ply: a single legal move
    std::vector<Verdict> m_verdicts;           // by move
    std::size_t m_done = 0;
};
