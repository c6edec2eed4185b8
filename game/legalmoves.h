#pragma once

#include "gamemove.h"

#include <vector>

class Checkers;

// Every complete legal move of one side in one position, each with its whole route (landing
// squares) and the pieces it takes. The moves come from the rule set's own generators, so the
// rules are written once; moves with the same start, final square and resulting position are
// listed once. Among moves with the same start and final square, the one the engine plays for
// go1/go2_human(from, to) comes first; otherwise the generators' order is kept.
class LegalMoves
{
public:
    // What a person's entry of start, landing squares and final square means.
    enum class Match {
        NONE,      // no legal move fits
        FOUND,     // exactly one move fits (or no landings were given: the engine's choice)
        AMBIGUOUS, // several moves with different results fit the landings given
    };
    struct Choice {
        Match match = Match::NONE;
        // The move played for this entry: the only fit, or the engine's first choice among
        // several when the landings do not tell them apart; null for NONE.
        const GameMove* move = nullptr;
    };
    // Why an entry that fits no legal move is refused.
    enum class Refusal {
        CAPTURE_COMPULSORY, // the side has a capture and the entry is not one
        ILLEGAL,
    };

    // scratch: an engine of the rule set to play by; its board and undo list are used as
    // scratch space and left in an unspecified state. side: 1 or 2.
    LegalMoves(Checkers& scratch, const Position& position, int side);

    const std::vector<GameMove>& all() const { return m_moves; }
    bool empty() const { return m_moves.empty(); }
    int side() const { return m_side; }
    // The side has a capture, so every legal move is one.
    bool captureCompulsory() const;

    // The move meant by from, the landing squares chosen in order (an in-order subsequence of
    // its route, possibly empty) and to. When several moves fit, a move whose whole route is
    // exactly the landings and `to` is the one meant; otherwise, with needUnique false, the
    // first fitting move (without landings: the engine's own choice) is FOUND, and with
    // needUnique true (the PDN reader wants the move named exactly) the entry is AMBIGUOUS.
    Choice find(int from, const std::vector<int>& landings, int to, bool needUnique = false) const;
    // Is `square` a landing square, short of the final one, of some capture sequence of the
    // piece on `from` whose route passes the landings chosen so far in order and then `square`?
    // The start square never is, though a capture may pass it again on its way.
    bool isLanding(int from, const std::vector<int>& chosen, int square) const;
    // Has the piece on `from` a legal move?
    bool canMoveFrom(int from) const;
    // Is a piece of the side on `square`?
    bool hasPieceOn(int square) const;
    // The squares a person may choose next for the piece on `from`, after the landing squares
    // chosen so far: the final square of each move whose route passes them in order, and, where
    // several moves share a start and final square (their route needs choosing), the next
    // landing square after them on each of their routes; never the start square as a landing.
    // Ascending, each once; empty when the piece has no legal move.
    std::vector<int> destinations(int from, const std::vector<int>& chosen) const;
    // Why the entry of start, landing squares and final square, which fits no legal move, is
    // refused: a missed capture only when the side has one and the entry is no capture at all
    // (no landing squares, and no piece of the opponent jumped on the way to the final square).
    Refusal refusal(int from, const std::vector<int>& landings, int to) const;

    // The legal move that turns the position into `after` (the computer's move, or a move the
    // engine played), or null when none does.
    const GameMove* leadingTo(const Position& after) const;
    // Does another legal move share this move's start and final square? Its notation then lists
    // every landing square.
    bool needsLandings(const GameMove& move) const;

private:
    bool routeFits(std::size_t index, const std::vector<int>& landings, int extra) const;
    void preferEngineChoice(Checkers& scratch);

    int m_side;
    Position m_position;
    std::vector<GameMove> m_moves;
    // Every route of each move (the first is its `landings`): a king's capture may be entered
    // along any of them.
    std::vector<std::vector<std::vector<int>>> m_routes;
};
