#include "gamerecord.h"

#include "engine/checkers.h"
#include "ruleset.h"

GameRecord::GameRecord(int rulesCode, Colour side1Colour)
    : GameRecord(rulesCode, side1Colour, startPosition(),
                 ruleset::firstMover(rulesCode) == side1Colour ? 1 : 2)
{
}

GameRecord::GameRecord(int rulesCode, Colour side1Colour, const Position& start, int sideToMove)
    : m_rules(ruleset::known(rulesCode) ? rulesCode : ruleset::ENGLISH), m_side1Colour(side1Colour),
      m_start(start), m_startSide(sideToMove == 2 ? 2 : 1), m_draws(m_rules, start, m_startSide),
      m_scratch(ruleset::makeEngine(m_rules))
{
    judge(EndReason::NONE);
}

GameRecord::~GameRecord() = default;

GameRecord::GameRecord(const GameRecord& other)
    : m_rules(other.m_rules), m_side1Colour(other.m_side1Colour), m_start(other.m_start),
      m_startSide(other.m_startSide), m_moves(other.m_moves), m_undone(other.m_undone),
      m_lastRedone(other.m_lastRedone), m_result(other.m_result), m_reason(other.m_reason),
      m_draws(other.m_draws), m_legal(other.m_legal), m_scratch(ruleset::makeEngine(other.m_rules))
{
}

GameRecord& GameRecord::operator=(const GameRecord& other)
{
    if (this != &other)
        *this = GameRecord(other);
    return *this;
}

GameRecord::GameRecord(GameRecord&&) noexcept = default;
GameRecord& GameRecord::operator=(GameRecord&&) noexcept = default;

Colour GameRecord::colourOf(int side) const
{
    return side == 1 ? m_side1Colour : other(m_side1Colour);
}

int GameRecord::sideOf(Colour colour) const
{
    return colour == m_side1Colour ? 1 : 2;
}

const Position& GameRecord::position() const
{
    return m_moves.empty() ? m_start : m_moves.back().after;
}

int GameRecord::sideToMove() const
{
    const int other = m_startSide == 1 ? 2 : 1;
    return m_moves.size() % 2 == 0 ? m_startSide : other;
}

// The side to move without a legal move loses; otherwise a draw the last move brought about ends
// the game.
void GameRecord::judge(EndReason draw)
{
    m_legal.emplace(*m_scratch, position(), sideToMove());
    if (m_legal->empty()) {
        m_result =
            colourToMove() == Colour::White ? GameResult::BLACK_WINS : GameResult::WHITE_WINS;
        m_reason = EndReason::NO_MOVES;
    } else if (draw != EndReason::NONE) {
        m_result = GameResult::DRAW;
        m_reason = draw;
    } else {
        m_result = GameResult::ONGOING;
        m_reason = EndReason::NONE;
    }
}

GameRecord::Entry GameRecord::enter(int from, const std::vector<int>& landings, int square)
{
    if (over())
        return Entry::GAME_OVER;
    LegalMoves::Choice choice = m_legal->find(from, landings, square);
    if (!choice.move) {
        if (square == from)
            return Entry::ROUTE_CLEARED;
        if (m_legal->isLanding(from, landings, square))
            return Entry::LANDING;
        // The landings lead elsewhere: the final square alone says which capture is meant.
        if (!landings.empty())
            choice = m_legal->find(from, {}, square);
    }
    if (!choice.move) {
        return m_legal->refusal(from, landings, square) == LegalMoves::Refusal::CAPTURE_COMPULSORY
                   ? Entry::CAPTURE_COMPULSORY
                   : Entry::ILLEGAL;
    }
    const GameMove chosen = *choice.move; // play() replaces the moves it points into
    play(chosen);
    return Entry::PLAYED;
}

bool GameRecord::playResulting(const Position& after)
{
    if (over())
        return false;
    const GameMove* move = m_legal->leadingTo(after);
    if (!move)
        return false;
    const GameMove chosen = *move;
    return play(chosen);
}

bool GameRecord::play(const GameMove& move)
{
    if (!append(move))
        return false;
    m_lastRedone = false;
    // Another line is played: the moves taken back no longer follow from it.
    m_undone.clear();
    return true;
}

bool GameRecord::append(const GameMove& move)
{
    if (over())
        return false;
    const GameMove* legal = m_legal->leadingTo(move.after);
    if (!legal || legal->from != move.from || legal->to != move.to)
        return false;
    m_moves.push_back(*legal);
    judge(m_draws.afterMove(m_moves.back()));
    return true;
}

bool GameRecord::undo()
{
    std::size_t last = m_moves.size();
    while (last > 0 && m_moves[last - 1].side != 1)
        --last;
    if (last == 0)
        return false;
    m_undone.emplace_back(m_moves.begin() + static_cast<std::ptrdiff_t>(last - 1), m_moves.end());
    m_moves.resize(last - 1);
    m_lastRedone = false;
    // The draw counters are rebuilt from the start: cheap, and they cannot drift.
    m_draws = DrawRules(m_rules, m_start, m_startSide);
    EndReason draw = EndReason::NONE;
    for (const GameMove& move : m_moves)
        draw = m_draws.afterMove(move);
    judge(draw);
    return true;
}

bool GameRecord::redo()
{
    if (m_undone.empty())
        return false;
    const std::vector<GameMove> step = std::move(m_undone.back());
    m_undone.pop_back();
    for (const GameMove& move : step) {
        // The moves were legal here when they were played, and the position is the same.
        if (!append(move))
            break;
    }
    m_lastRedone = true;
    return true;
}

std::vector<std::string> GameRecord::engineUndoList() const
{
    std::vector<std::string> list;
    for (const GameMove& move : m_moves) {
        if (move.side == 1)
            list.push_back(positionText(move.before));
    }
    return list;
}

std::string GameRecord::moveText(std::size_t index) const
{
    const GameMove& move = m_moves.at(index);
    // Only a capture can share its start and final square with another move.
    const bool landings =
        move.isCapture() && LegalMoves(*m_scratch, move.before, move.side).needsLandings(move);
    return notation().moveText(move, landings);
}
