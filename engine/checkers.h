#pragma once

#include "board.h"
#include "movegenerator.h"
#include "packedposition.h"
#include "position.h"
#include "referencesearch.h"
#include "searchhistory.h"
#include "side.h"
#include "timedsearch.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class EndgameTable;
class MoveSink;
class Search;

// The game engine: one position on a 54-cell board, the list of positions kept for undo, and the
// computer's move search for side 2. The rules live in the subclasses (ECheckers, RCheckers),
// which implement the thirteen pure virtual operations; the full-width search knows them only
// through checkCapture2 and the three search generators, which call back turn(best, capture)
// once for every complete move they make on the board. The fast searches below it (Search,
// TimedSearch) work on packed positions; this class hands them the position and plays their move.
class Checkers : private ReferenceSearch
{
public:
    Checkers();
    ~Checkers() override;

    Checkers(const Checkers&) = delete;
    Checkers& operator=(const Checkers&) = delete;

    // Move entry for people; from and to are square numbers. True when the move was legal and
    // has been applied; false leaves the board unchanged.
    virtual bool go1(int from, int to) = 0;
    virtual bool go2_human(int from, int to) = 0;
    // The rule set's code: 21 English, 25 Russian.
    virtual int type() const = 0;
    virtual bool checkCapture1() const = 0;
    virtual bool checkCapture2() const = 0;
    virtual bool checkCapture1(int cell) const = 0;
    // Search generators: make every move of the side-2 piece on the cell, call
    // turn(best, capture) for each complete one and take it back.
    virtual void kingMove2(int cell, int& best) = 0;
    virtual bool manCapture2(int cell, int& best) = 0;
    virtual bool kingCapture2(int cell, int step, int& best) = 0;
    // Capture-path checks for move entry: is there a sequence whose first jump goes in step and
    // that may end on `target`? On success the board holds the position after it.
    virtual bool manCapture1(int cell, int step, bool& jumped) = 0;
    virtual bool kingCapture1(int cell, int step, bool& jumped) = 0;
    virtual bool manCapture2(int cell, int step, bool& jumped) = 0;
    virtual bool kingCapture2(int cell, int step, bool& jumped) = 0;

    // The cell of a square 0..31.
    int internal(int square) const { return SQUARE_CELLS[square]; }
    // Stores values[0..31] into the cells of squares 0..31. Always true.
    bool setup(const int* values);
    // The position text: 32 values in square order, each followed by one space. With flip, the
    // position as seen by the other side.
    std::string toString(bool flip) const;
    // Reads a position text. A text without 32 readable values, or with a value that is not a
    // piece or FREE, leaves the position unchanged, is reported on standard error and gives false.
    bool fromString(const std::string& text);
    bool save_undo(const std::string& text);

    // "Can move" tests: simple moves only; captures are the rule set's checkCapture tests.
    bool checkMove1(int cell) const;
    bool checkMove1() const;
    bool checkMove2() const;

    // The computer's move for side 2: plays the best move found `level` plies deep (or, for
    // Grandmaster, by moveTime and moveDepth), chosen at random among equals, and returns the
    // position's value for side 2. Without a legal move the board stays as it is and the loss
    // score is returned.
    int go2();
    // The same decision by the plain full-width search, which follows every line to `level`
    // plies: the reference the fast search is measured and tested against.
    int go2Reference();
    // The full-width search to `level` plies, side 2 to move; its value.
    int turn();
    // Values the complete move of side 2 standing on the board, raising best to it; at the root
    // also records it. capture: the jumped pieces are still marked BORDER.
    void turn(int& best, bool capture);

    // Hands every complete move of side 2 in this position to the sink, in the order the search
    // meets them, and leaves the board as it was.
    void generateMoves2(MoveSink& sink);
    // Exchanges the sides: cell k takes 6 - v of cell 53 - k. The side to move stays side 2.
    void rotate();
    // Forgets what earlier searches of this engine learnt; they are remembered from move to
    // move, which changes their speed and never their decisions.
    void clearSearchTables();
    // The rule set's moves for the packed move generator.
    MoveGenerator::Rules rules() const;
    // Positions searched by the last go2 or go2Reference.
    long long nodes() const { return m_nodes; }
    // The depth of the last iteration Grandmaster's search finished in the last go2 (0 for the
    // fixed levels, and when a single legal move was played without a search).
    int finishedDepth() const;

    static constexpr const int (&SQUARE_CELLS)[SQUARES] = ::SQUARE_CELLS;
    // Grandmaster's move time in milliseconds: about a second on the reader.
    static constexpr int GRANDMASTER_MS = 1000;

    int depth = 0;
    int level = 2;
    // Grandmaster: with moveTime (milliseconds) or moveDepth (plies) above 0, go2 plays by
    // iterative deepening with its own evaluation, for at most moveTime and no deeper than
    // moveDepth, instead of searching `level` plies.
    int moveTime = 0;
    int moveDepth = 0;
    // Grandmaster's search ends as soon as this flag is set (another thread may set it while the
    // search runs); go2 then plays the best move found so far. Null: only the clock ends it.
    const std::atomic<bool>* stop = nullptr;
    // Grandmaster: the game before the board's position, the board's side to move as side 2
    // (SearchHistory::ofGame). It counts only while the board holds the position it ends in;
    // otherwise the search starts the draw rules' counts afresh on the board.
    SearchHistory history;
    // Grandmaster: the endgame tables it probes where the material fits; null: none.
    std::shared_ptr<const EndgameTable> endgameTable;
    // Grandmaster's last principal variation: its move and the replies it expects.
    const std::vector<TimedSearch::PlannedMove>& principalVariation() const;
    int target = 0;
    int board[CELLS];
    std::vector<std::string> undo_list;
    int bestboard[CELLS];
    int bestcount = 0;

protected:
    // The checks every person's move passes before the rules look at it: squares on the board, a
    // piece of `side` on from, and a free destination (or from itself, for a capture that comes
    // back to its start). Sets `target`.
    bool acceptsEntry(const Side& side, int from, int to);
    // Can the piece of `side` on cell jump the adjacent cell in step? (The man's and English
    // king's jump: the jumped cell first, so that no cell off the array is read.)
    bool canJump(const Side& side, int cell, int step) const
    {
        return side.isOpponent(board[cell + step]) && board[cell + 2 * step] == FREE;
    }

    // A jump in progress: the jumping piece has left `from` and the jumped piece stays on the
    // board, marked BORDER and blocking, until the sequence ends.
    struct Jump {
        int from;
        int jumpedCell;
        int jumpedValue;
    };
    Jump startJump(int from, int jumpedCell)
    {
        const Jump jump{from, jumpedCell, board[jumpedCell]};
        board[from] = FREE;
        board[jumpedCell] = BORDER;
        return jump;
    }
    // The sequence is complete: the jumped piece leaves the board.
    void removeJumped(const Jump& jump) { board[jump.jumpedCell] = FREE; }
    // Takes the jump back: the jumped piece and the jumping `piece` stand where they stood.
    void undoJump(const Jump& jump, int piece)
    {
        board[jump.jumpedCell] = jump.jumpedValue;
        board[jump.from] = piece;
    }

private:
    void rootMoves(MoveSink& sink) override { generateMoves2(sink); }
    int referenceValue(const PackedPosition& position, int plies, int level) override;
    int goTimed();
    void playMoves2(int& best);
    void valueMove(int& best);

    MoveSink* m_sink = nullptr;
    long long m_nodes = 0;
    std::unique_ptr<Search> m_search;           // made by the first go2 of a fixed level
    std::unique_ptr<TimedSearch> m_timedSearch; // made by Grandmaster's first go2
};

// The engine's current position.
Position positionOf(const Checkers& engine);
// Puts the position on the engine's board.
void placePosition(Checkers& engine, const Position& position);
