#pragma once

#include "colour.h"
#include "drawrules.h"
#include "gamemove.h"
#include "gameresult.h"
#include "legalmoves.h"
#include "notation.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Checkers;

// The game as played: its rule set, which colour side 1 (the person at the keys, at the bottom)
// plays, where it started, every move, and how it stands. Positions are always in the engine's
// orientation; the side to move alternates from the start's. After every move the record
// applies the end rules: a side to move without a legal move loses, then the draw rules.
class GameRecord
{
public:
    // What became of a person's entry.
    enum class Entry {
        PLAYED,
        LANDING,            // the square goes on the route: a capture of the piece passes it next
        ROUTE_CLEARED,      // the start chosen again: the route chosen so far is given up
        CAPTURE_COMPULSORY, // refused: the side has a capture and the entry is none at all
        ILLEGAL,            // refused: no legal move fits
        GAME_OVER,          // refused: the game has ended
    };

    // A game from the standard start, the first mover to move.
    GameRecord(int rulesCode, Colour side1Colour);
    // A game from any position with `sideToMove` (1 or 2) to move. rulesCode: ruleset::ENGLISH
    // or ruleset::RUSSIAN (any other code plays English rules).
    GameRecord(int rulesCode, Colour side1Colour, const Position& start, int sideToMove);
    ~GameRecord();
    GameRecord(const GameRecord& other);
    GameRecord& operator=(const GameRecord& other);
    GameRecord(GameRecord&&) noexcept;
    GameRecord& operator=(GameRecord&&) noexcept;

    int rules() const { return m_rules; }
    Colour side1Colour() const { return m_side1Colour; }
    Colour colourOf(int side) const;
    int sideOf(Colour colour) const;
    Notation notation() const { return Notation(m_rules, m_side1Colour); }

    const Position& start() const { return m_start; }
    int startSide() const { return m_startSide; }
    const std::vector<GameMove>& moves() const { return m_moves; }
    const Position& position() const;
    int sideToMove() const;
    Colour colourToMove() const { return colourOf(sideToMove()); }
    // The last move played, for the marks on the board; null before the first.
    const GameMove* lastMove() const { return m_moves.empty() ? nullptr : &m_moves.back(); }

    // The standard notation of moves()[index]: a capture lists every landing square when another
    // legal move shares its start and final square, or when it ends on its start square.
    std::string moveText(std::size_t index) const;

    GameResult result() const { return m_result; }
    EndReason reason() const { return m_reason; }
    bool over() const { return m_result != GameResult::ONGOING; }

    // The legal moves of the side to move in the current position. Once the game is over they
    // are still listed, but enter and play refuse them.
    const LegalMoves& legalMoves() const { return *m_legal; }
    // A person's choice of `square` for the piece on `from` of the side to move, with the landing
    // squares chosen so far. In this order: a move from `from` to `square` along the landings
    // is played (without landings, the engine's own choice); `square` becomes a landing when a
    // capture passes it after the landings; the start chosen again clears the route; the final
    // square of one of the piece's captures plays it as if no landings had been chosen. Anything
    // else is refused.
    Entry enter(int from, const std::vector<int>& landings, int square);
    // Plays the legal move of the side to move that leads to `after` (the computer's move found
    // by go2, or a move go1/go2_human made on an engine). False, and nothing recorded, when no
    // legal move does.
    bool playResulting(const Position& after);
    // Plays a move of `legalMoves()`. False when it is not one of them or the game is over.
    // A move played drops the moves kept for redo.
    bool play(const GameMove& move);

    // Takes back side 1's last move and every move after it, and keeps them for redo. False
    // when side 1 has not moved.
    bool undo();
    // Plays again the moves the last undo not yet redone took back. False when there are none.
    bool redo();
    // Undone moves are kept for redo.
    bool canRedo() const { return !m_undone.empty(); }
    // The last move came back by redo: any ending it reaches was reached before.
    bool lastMoveRedone() const { return m_lastRedone; }
    // The engine's undo list for this game: the position before each side-1 move, oldest first,
    // as position texts.
    std::vector<std::string> engineUndoList() const;

private:
    void judge(EndReason draw);
    bool append(const GameMove& move);

    int m_rules;
    Colour m_side1Colour;
    Position m_start;
    int m_startSide;
    std::vector<GameMove> m_moves;
    // What each undo took back, the last undo last: the steps redo plays again.
    std::vector<std::vector<GameMove>> m_undone;
    bool m_lastRedone = false;
    GameResult m_result = GameResult::ONGOING;
    EndReason m_reason = EndReason::NONE;
    DrawRules m_draws;
    std::optional<LegalMoves> m_legal; // always set after construction
    std::unique_ptr<Checkers> m_scratch;
};
