#include "legalmoves.h"

#include "engine/checkers.h"
#include "engine/movesink.h"
#include "engine/side.h"
#include "ruleset.h"

#include <algorithm>
#include <array>

namespace
{

// A king's capture in Russian draughts can reach the same result along many routes; a few are
// enough to let a person enter it along the route they see.
constexpr std::size_t MAX_ROUTES = 64;

Position rotated(const Position& position)
{
    Position turned{};
    for (int square = 0; square < SQUARES; ++square)
        turned[square] = SIDE_SWAP - position[SQUARES - 1 - square];
    return turned;
}

// Collects the positions after each move the generators make.
class Collector : public MoveSink
{
public:
    explicit Collector(const Checkers& engine) : m_engine(engine) {}
    void onMove(const int* cells, int) override
    {
        Position after{};
        for (int square = 0; square < SQUARES; ++square)
            after[square] = cells[m_engine.internal(square)];
        if (std::find(results.begin(), results.end(), after) == results.end())
            results.push_back(after);
    }
    std::vector<Position> results;

private:
    const Checkers& m_engine;
};

// Every route of a capture whose start, final square and taken pieces are known: the landing
// squares in order, found by following the rules' geometry (which pieces may jump which way,
// how far a king flies, where a man is crowned) jump by jump.
class RouteFinder
{
public:
    RouteFinder(int rulesCode, const Side& side, const Position& before, int from, int to,
                const std::vector<int>& captured)
        : m_russian(rulesCode == ruleset::RUSSIAN), m_side(side), m_to(to)
    {
        std::fill(std::begin(m_cells), std::end(m_cells), BORDER);
        for (int square = 0; square < SQUARES; ++square)
            m_cells[Checkers::SQUARE_CELLS[square]] = before[square];
        m_start = Checkers::SQUARE_CELLS[from];
        m_king = before[from] == side.king;
        m_cells[m_start] = FREE; // the piece has left its square and may pass it again
        for (int square : captured)
            m_captured.push_back(Checkers::SQUARE_CELLS[square]);
    }

    std::vector<std::vector<int>> routes()
    {
        std::vector<int> route;
        follow(m_start, m_king, 0, route);
        return std::move(m_routes);
    }
    // The taken pieces' squares in the order the first route jumps them.
    const std::vector<int>& firstJumps() const { return m_firstJumps; }

private:
    static int squareOf(int cell)
    {
        const int* found =
            std::find(std::begin(Checkers::SQUARE_CELLS), std::end(Checkers::SQUARE_CELLS), cell);
        return static_cast<int>(found - std::begin(Checkers::SQUARE_CELLS));
    }

    bool mayStep(bool king, int step) const
    {
        return king || m_russian || step == m_side.forward[0] || step == m_side.forward[1];
    }

    void follow(int cell, bool king, unsigned jumped, std::vector<int>& route)
    {
        if (m_routes.size() >= MAX_ROUTES)
            return;
        const unsigned all = (1u << m_captured.size()) - 1;
        if (jumped == all) {
            if (squareOf(cell) == m_to)
                keep(route);
            return;
        }
        const bool flies = king && m_russian;
        for (int step : STEPS) {
            if (!mayStep(king, step))
                continue;
            int over = cell + step;
            while (flies && m_cells[over] == FREE)
                over += step;
            const auto found = std::find(m_captured.begin(), m_captured.end(), over);
            if (found == m_captured.end())
                continue;
            const unsigned bit = 1u << (found - m_captured.begin());
            if (jumped & bit)
                continue;
            const int overValue = m_cells[over];
            m_cells[over] = BORDER; // a jumped piece stays on the board until the move ends
            m_jumps.push_back(squareOf(over));
            for (int landing = over + step; m_cells[landing] == FREE; landing += step) {
                const bool crowned = !king && m_side.promotes(landing);
                route.push_back(squareOf(landing));
                if (crowned && !m_russian) {
                    // Crowning ends an English capture.
                    if ((jumped | bit) == all && squareOf(landing) == m_to)
                        keep(route);
                } else {
                    follow(landing, king || crowned, jumped | bit, route);
                }
                route.pop_back();
                if (!flies)
                    break;
            }
            m_jumps.pop_back();
            m_cells[over] = overValue;
        }
    }

    void keep(const std::vector<int>& route)
    {
        if (m_routes.empty())
            m_firstJumps = m_jumps;
        m_routes.push_back(route);
    }

    bool m_russian;
    const Side& m_side;
    int m_to;
    int m_cells[CELLS];
    int m_start = 0;
    bool m_king = false;
    std::vector<int> m_captured;
    std::vector<std::vector<int>> m_routes;
    std::vector<int> m_jumps; // the pieces jumped so far on the route being followed
    std::vector<int> m_firstJumps;
};

bool isOwn(const Side& side, int value)
{
    return value == side.man || value == side.king;
}

// Does the way from `from` to `to` run along one diagonal over a piece of the opponent of
// `side`? A person entering it means a capture, legal or not.
bool jumpsOpponent(const Position& position, const Side& side, int from, int to)
{
    int cells[CELLS];
    std::fill(std::begin(cells), std::end(cells), BORDER);
    for (int square = 0; square < SQUARES; ++square)
        cells[Checkers::SQUARE_CELLS[square]] = position[square];
    const int end = Checkers::SQUARE_CELLS[to];
    for (int step : STEPS) {
        bool jumped = false;
        for (int cell = Checkers::SQUARE_CELLS[from] + step; cells[cell] != BORDER; cell += step) {
            if (cell == end)
                return jumped;
            jumped = jumped || side.isOpponent(cells[cell]);
        }
    }
    return false;
}

// Is `wanted` an in-order subsequence of the route's landing squares short of the final one?
bool passes(const std::vector<int>& route, const std::vector<int>& wanted, int extra)
{
    const std::size_t stops = route.empty() ? 0 : route.size() - 1;
    std::size_t at = 0;
    const std::size_t count = wanted.size() + (extra >= 0 ? 1 : 0);
    for (std::size_t i = 0; i < stops && at < count; ++i) {
        const int next = at < wanted.size() ? wanted[at] : extra;
        if (route[i] == next)
            ++at;
    }
    return at == count;
}

// The landing square of `route` right after the squares `wanted`, found on it in order, short of
// the final one; -1 when they are not all on it or nothing but the final square follows them.
int nextLanding(const std::vector<int>& route, const std::vector<int>& wanted)
{
    const std::size_t stops = route.empty() ? 0 : route.size() - 1;
    std::size_t at = 0;
    for (int square : wanted) {
        while (at < stops && route[at] != square)
            ++at;
        if (at == stops)
            return -1;
        ++at;
    }
    return at < stops ? route[at] : -1;
}

} // namespace

LegalMoves::LegalMoves(Checkers& scratch, const Position& position, int side)
    : m_side(side), m_position(position)
{
    const Side& mover = side == 1 ? SIDE1 : SIDE2;
    placePosition(scratch, side == 1 ? rotated(position) : position);
    Collector collector(scratch);
    scratch.generateMoves2(collector);

    for (const Position& result : collector.results) {
        GameMove move;
        move.side = side;
        move.before = position;
        move.after = side == 1 ? rotated(result) : result;
        std::vector<int> vacated;
        int arrived = -1;
        for (int square = 0; square < SQUARES; ++square) {
            const int was = position[square];
            const int now = move.after[square];
            if (isOwn(mover, was) && now == FREE)
                vacated.push_back(square);
            else if (!isOwn(mover, was) && isOwn(mover, now))
                arrived = square;
            else if (was != FREE && !isOwn(mover, was) && now == FREE)
                move.captured.push_back(square);
        }
        std::vector<int> starts = vacated;
        if (starts.empty()) {
            // A capture that came back to its start square: the route tells which piece moved.
            for (int square = 0; square < SQUARES; ++square) {
                if (isOwn(mover, position[square]))
                    starts.push_back(square);
            }
        }
        std::vector<std::vector<int>> routes;
        for (int start : starts) {
            move.from = start;
            move.to = vacated.empty() ? start : arrived;
            if (!move.isCapture())
                break;
            RouteFinder finder(scratch.type(), mover, position, move.from, move.to, move.captured);
            routes = finder.routes();
            if (!routes.empty()) {
                move.captured = finder.firstJumps();
                break;
            }
        }
        move.manMoved = position[move.from] == mover.man;
        if (move.isCapture()) {
            if (routes.empty())
                routes.push_back({move.to}); // not met: the rules' own moves always have a route
            move.landings = routes.front();
        } else {
            routes.emplace_back();
        }
        m_moves.push_back(std::move(move));
        m_routes.push_back(std::move(routes));
    }
    preferEngineChoice(scratch);
}

// Among moves with the same start and final square, the one the engine plays for (from, to)
// goes first, so that "first found" means what a person entering start and final square gets.
void LegalMoves::preferEngineChoice(Checkers& scratch)
{
    for (std::size_t first = 0; first < m_moves.size(); ++first) {
        const GameMove& lead = m_moves[first];
        const auto sameEnds = [&lead](const GameMove& move) {
            return move.from == lead.from && move.to == lead.to;
        };
        if (std::any_of(m_moves.begin(), m_moves.begin() + first, sameEnds))
            continue; // its group is in order already
        std::vector<std::size_t> group;
        for (std::size_t i = first + 1; i < m_moves.size(); ++i) {
            if (sameEnds(m_moves[i]))
                group.push_back(i);
        }
        if (group.empty())
            continue;
        placePosition(scratch, lead.before);
        const bool played =
            m_side == 1 ? scratch.go1(lead.from, lead.to) : scratch.go2_human(lead.from, lead.to);
        scratch.undo_list.clear();
        if (!played)
            continue;
        const Position chosen = positionOf(scratch);
        for (std::size_t i : group) {
            if (m_moves[i].after == chosen) {
                std::rotate(m_moves.begin() + first, m_moves.begin() + i, m_moves.begin() + i + 1);
                std::rotate(m_routes.begin() + first, m_routes.begin() + i,
                            m_routes.begin() + i + 1);
                break;
            }
        }
    }
}

bool LegalMoves::captureCompulsory() const
{
    return !m_moves.empty() && m_moves.front().isCapture();
}

LegalMoves::Choice LegalMoves::find(int from, const std::vector<int>& landings, int to,
                                    bool needUnique) const
{
    std::vector<std::size_t> fitting;
    for (std::size_t i = 0; i < m_moves.size(); ++i) {
        if (m_moves[i].from == from && m_moves[i].to == to && routeFits(i, landings, -1))
            fitting.push_back(i);
    }
    Choice choice;
    if (fitting.empty())
        return choice;
    choice.match = Match::FOUND;
    choice.move = &m_moves[fitting.front()];
    if (fitting.size() == 1 || (landings.empty() && !needUnique))
        return choice;
    // The landings given may be a whole route: "a x c" names the single jump even when a longer
    // capture from a to c passes other squares on the way.
    std::vector<int> whole = landings;
    whole.push_back(to);
    std::vector<std::size_t> exact;
    for (std::size_t i : fitting) {
        const std::vector<std::vector<int>>& routes = m_routes[i];
        if (std::find(routes.begin(), routes.end(), whole) != routes.end())
            exact.push_back(i);
    }
    if (exact.size() == 1) {
        choice.move = &m_moves[exact.front()];
        return choice;
    }
    if (needUnique)
        choice.match = Match::AMBIGUOUS;
    return choice;
}

bool LegalMoves::isLanding(int from, const std::vector<int>& chosen, int square) const
{
    if (square == from)
        return false;
    for (std::size_t i = 0; i < m_moves.size(); ++i) {
        if (m_moves[i].from == from && routeFits(i, chosen, square))
            return true;
    }
    return false;
}

bool LegalMoves::canMoveFrom(int from) const
{
    return std::any_of(m_moves.begin(), m_moves.end(),
                       [from](const GameMove& move) { return move.from == from; });
}

bool LegalMoves::hasPieceOn(int square) const
{
    if (square < 0 || square >= SQUARES)
        return false;
    return isOwn(m_side == 1 ? SIDE1 : SIDE2, m_position[square]);
}

std::vector<int> LegalMoves::destinations(int from, const std::vector<int>& chosen) const
{
    std::vector<int> squares;
    for (std::size_t i = 0; i < m_moves.size(); ++i) {
        const GameMove& move = m_moves[i];
        if (move.from != from || !routeFits(i, chosen, -1))
            continue;
        squares.push_back(move.to);
        if (!needsLandings(move))
            continue;
        for (const std::vector<int>& route : m_routes[i]) {
            const int next = nextLanding(route, chosen);
            if (next >= 0 && next != from)
                squares.push_back(next);
        }
    }
    std::sort(squares.begin(), squares.end());
    squares.erase(std::unique(squares.begin(), squares.end()), squares.end());
    return squares;
}

LegalMoves::Refusal LegalMoves::refusal(int from, const std::vector<int>& landings, int to) const
{
    if (!captureCompulsory() || !landings.empty())
        return Refusal::ILLEGAL;
    const Side& mover = m_side == 1 ? SIDE1 : SIDE2;
    return jumpsOpponent(m_position, mover, from, to) ? Refusal::ILLEGAL
                                                      : Refusal::CAPTURE_COMPULSORY;
}

const GameMove* LegalMoves::leadingTo(const Position& after) const
{
    for (const GameMove& move : m_moves) {
        if (move.after == after)
            return &move;
    }
    return nullptr;
}

bool LegalMoves::needsLandings(const GameMove& move) const
{
    return std::any_of(m_moves.begin(), m_moves.end(), [&move](const GameMove& other) {
        return other.from == move.from && other.to == move.to && other.after != move.after;
    });
}

bool LegalMoves::routeFits(std::size_t index, const std::vector<int>& landings, int extra) const
{
    const std::vector<std::vector<int>>& routes = m_routes[index];
    return std::any_of(routes.begin(), routes.end(), [&](const std::vector<int>& route) {
        return passes(route, landings, extra);
    });
}
