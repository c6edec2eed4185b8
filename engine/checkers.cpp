#include "checkers.h"

#include "movesink.h"
#include "search.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <new>
#include <sstream>

namespace
{

constexpr int STARTING_MEN = 12; // squares 0..11 side 2, 20..31 side 1
constexpr int LOSS_PER_PLY = 10; // a side without a move loses 10 per ply left
constexpr int SIDE2_CROWNING_FROM = PROMOTION2_START - DOWN_RIGHT; // a man here steps onto row 7
constexpr int RUSSIAN_RULES = 25;

// The jumped pieces of a complete capture, lifted while the move is valued: the marks are
// turned into empty squares and put back afterwards.
class JumpedPieces
{
public:
    JumpedPieces(int* cells, bool capture) : m_cells(cells)
    {
        if (!capture)
            return;
        for (int cell : INTERIOR_CELLS) {
            if (cells[cell] == BORDER) {
                cells[cell] = FREE;
                m_lifted[m_count++] = cell;
            }
        }
    }
    ~JumpedPieces()
    {
        for (int i = 0; i < m_count; ++i)
            m_cells[m_lifted[i]] = BORDER;
    }
    JumpedPieces(const JumpedPieces&) = delete;
    JumpedPieces& operator=(const JumpedPieces&) = delete;

private:
    int* m_cells;
    int m_lifted[std::size(INTERIOR_CELLS)];
    int m_count = 0;
};

bool isPositionValue(int value)
{
    return value >= MAN1 && value <= MAN2;
}

} // namespace

Checkers::Checkers()
{
    std::fill(std::begin(board), std::end(board), BORDER);
    std::fill(std::begin(bestboard), std::end(bestboard), BORDER);
    for (int square = 0; square < SQUARES; ++square) {
        if (square < STARTING_MEN)
            board[internal(square)] = MAN2;
        else if (square < SQUARES - STARTING_MEN)
            board[internal(square)] = FREE;
        else
            board[internal(square)] = MAN1;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

Checkers::~Checkers() = default;

Position positionOf(const Checkers& engine)
{
    Position position{};
    for (int square = 0; square < SQUARES; ++square)
        position[square] = engine.board[engine.internal(square)];
    return position;
}

void placePosition(Checkers& engine, const Position& position)
{
    engine.setup(position.data());
}

bool Checkers::setup(const int* values)
{
    for (int square = 0; square < SQUARES; ++square)
        board[internal(square)] = values[square];
    return true;
}

std::string Checkers::toString(bool flip) const
{
    Position placed;
    for (int square = 0; square < SQUARES; ++square) {
        const int value = board[internal(square)];
        if (flip)
            placed[SQUARES - 1 - square] = SIDE_SWAP - value;
        else
            placed[square] = value;
    }
    return positionText(placed);
}

bool Checkers::fromString(const std::string& text)
{
    std::istringstream in(text);
    int values[SQUARES];
    for (int& value : values) {
        if (!(in >> value) || !isPositionValue(value)) {
            std::cerr << "Checkers::fromString:" << text;
            return false;
        }
    }
    return setup(values);
}

bool Checkers::save_undo(const std::string& text)
{
    undo_list.push_back(text);
    return true;
}

bool Checkers::checkMove1(int cell) const
{
    if (board[cell] == MAN1)
        return board[cell + UP_LEFT] == FREE || board[cell + UP_RIGHT] == FREE;
    if (board[cell] == KING1)
        return std::any_of(std::begin(STEPS), std::end(STEPS),
                           [&](int step) { return board[cell + step] == FREE; });
    return false;
}

bool Checkers::checkMove1() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (checkMove1(cell))
            return true;
    }
    return false;
}

bool Checkers::checkMove2() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (board[cell] == KING2) {
            for (int step : STEPS) {
                if (board[cell + step] == FREE)
                    return true;
            }
        } else if (board[cell] == MAN2) {
            if (board[cell + DOWN_LEFT] == FREE || board[cell + DOWN_RIGHT] == FREE)
                return true;
        }
    }
    return false;
}

int Checkers::go2()
{
    m_nodes = 0;
    if (moveTime > 0 || moveDepth > 0) {
        if (!m_timedSearch)
            m_timedSearch.reset(new (std::nothrow) TimedSearch(rules()));
        if (m_timedSearch)
            return goTimed();
        // Without the memory for it, the fixed search at `level` plays.
    }
    // The tables are made by the first search, so that an engine that never searches (a game
    // record's scratch engine) costs no more than its board. Without the memory for them the
    // plain search makes the same decision, only slower.
    if (!m_search)
        m_search.reset(new (std::nothrow) Search);
    if (!m_search)
        return go2Reference();
    const PackedPosition root = PackedPosition::fromCells(board, SQUARE_CELLS);
    depth = 0;
    bestcount = 0;
    Search::Outcome outcome;
    if (!m_search->go(root, rules(), level, *this, outcome))
        return go2Reference();
    bestcount = outcome.equals;
    // The search may have left positions of its own on the board.
    (outcome.hasMove ? outcome.chosen : root).toCells(board, SQUARE_CELLS);
    std::copy(board + FIRST_CELL, board + LAST_CELL + 1, bestboard + FIRST_CELL);
    depth = 0;
    m_nodes += m_search->nodes();
    return outcome.value;
}

int Checkers::goTimed()
{
    const PackedPosition root = PackedPosition::fromCells(board, SQUARE_CELLS);
    const SearchHistory fresh;
    const SearchHistory& earlier = history.isFor(root) ? history : fresh;
    TimedSearch::Limits limits;
    limits.moveTimeMs = moveTime;
    limits.maxDepth = moveDepth;
    limits.stop = stop;
    limits.tables = endgameTable.get();
    const int value = m_timedSearch->go(root, earlier, limits);
    m_nodes = m_timedSearch->nodes();
    if (m_timedSearch->hasMove()) {
        m_timedSearch->chosen().toCells(board, SQUARE_CELLS);
        std::copy(board + FIRST_CELL, board + LAST_CELL + 1, bestboard + FIRST_CELL);
    }
    return value;
}

const std::vector<TimedSearch::PlannedMove>& Checkers::principalVariation() const
{
    static const std::vector<TimedSearch::PlannedMove> NONE;
    return m_timedSearch ? m_timedSearch->principalVariation() : NONE;
}

MoveGenerator::Rules Checkers::rules() const
{
    return type() == RUSSIAN_RULES ? MoveGenerator::Rules::RUSSIAN : MoveGenerator::Rules::ENGLISH;
}

int Checkers::referenceValue(const PackedPosition& position, int plies, int searchLevel)
{
    // One ply deeper on both counts, which keeps every value and keeps the plain search from
    // taking this position for the root, where it would record moves and draw random numbers.
    position.toCells(board, SQUARE_CELLS);
    level = searchLevel + 1;
    depth = searchLevel + 1 - plies;
    const int result = turn();
    level = searchLevel;
    return result;
}

void Checkers::clearSearchTables()
{
    if (m_search)
        m_search->clear();
    if (m_timedSearch)
        m_timedSearch->clear();
}

int Checkers::finishedDepth() const
{
    return m_timedSearch && (moveTime > 0 || moveDepth > 0) ? m_timedSearch->finishedDepth() : 0;
}

int Checkers::go2Reference()
{
    depth = 0;
    bestcount = 0;
    m_nodes = 0;
    std::copy(board + FIRST_CELL, board + LAST_CELL + 1, bestboard + FIRST_CELL);
    const int value = turn();
    std::copy(bestboard + FIRST_CELL, bestboard + LAST_CELL + 1, board + FIRST_CELL);
    return value;
}

int Checkers::turn()
{
    const int ply = depth;
    depth = ply + 1;
    ++m_nodes;
    int best = LOSS_PER_PLY * (ply - level);
    playMoves2(best);
    depth = ply;
    return best;
}

void Checkers::playMoves2(int& best)
{
    if (checkCapture2()) {
        for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
            if (board[cell] == KING2) {
                for (int step : STEPS)
                    kingCapture2(cell, step, best);
            } else if (board[cell] == MAN2) {
                manCapture2(cell, best);
            }
        }
    } else if (checkMove2()) {
        for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
            if (board[cell] == KING2) {
                kingMove2(cell, best);
            } else if (board[cell] == MAN2) {
                for (int step : SIDE2.forward) {
                    const int to = cell + step;
                    if (board[to] != FREE)
                        continue;
                    board[cell] = FREE;
                    board[to] = cell >= SIDE2_CROWNING_FROM ? KING2 : MAN2;
                    turn(best, false);
                    board[to] = FREE;
                    board[cell] = MAN2;
                }
            }
        }
    }
}

void Checkers::turn(int& best, bool capture)
{
    if (m_sink) {
        JumpedPieces jumped(board, capture);
        m_sink->onMove(board, -best);
        return;
    }
    if (depth >= level) {
        // The last ply is not answered: the move is worth its jumps alone.
        if (best < 0)
            best = 0;
        return;
    }
    JumpedPieces jumped(board, capture);
    valueMove(best);
}

void Checkers::valueMove(int& best)
{
    int saved[SQUARES];
    for (int square = 0; square < SQUARES; ++square)
        saved[square] = board[internal(square)];
    rotate();
    const int value = -turn();
    for (int square = 0; square < SQUARES; ++square)
        board[internal(square)] = saved[square];

    if (value > best) {
        best = value;
        if (depth == 1) {
            std::copy(board + FIRST_CELL, board + LAST_CELL + 1, bestboard + FIRST_CELL);
            bestcount = 1;
        }
    } else if (value == best && depth == 1) {
        // The k-th root move of the best value replaces the recorded one with probability 1/k.
        ++bestcount;
        if (std::rand() % bestcount == 0)
            std::copy(board + FIRST_CELL, board + LAST_CELL + 1, bestboard + FIRST_CELL);
    }
}

void Checkers::generateMoves2(MoveSink& sink)
{
    m_sink = &sink;
    int jumps = 0;
    playMoves2(jumps);
    m_sink = nullptr;
}

void Checkers::rotate()
{
    for (int square = 0; square < SQUARES / 2; ++square) {
        const int cell = internal(square);
        const int mirror = MIRROR_CELL - cell;
        const int value = board[cell];
        board[cell] = SIDE_SWAP - board[mirror];
        board[mirror] = SIDE_SWAP - value;
    }
}

bool Checkers::acceptsEntry(const Side& side, int from, int to)
{
    if (from < 0 || from >= SQUARES || to < 0 || to >= SQUARES)
        return false;
    const int start = internal(from);
    target = internal(to);
    if (board[start] != side.man && board[start] != side.king)
        return false;
    return to == from || board[target] == FREE;
}
