#include "gamerecord.h"

#include "ruleset.h"

GameRecord::GameRecord(int rulesCode, Colour side1Colour)
    : GameRecord(rulesCode, side1Colour, startPosition(),
                 ruleset::firstMover(rulesCode) == side1Colour ? 1 : 2)
{
}
GameRecord::GameRecord(int rulesCode, Colour side1Colour, const Position& start, int sideToMove)
    : m_rules(rulesCode), m_side1Colour(side1Colour), m_start(start), m_startSide(sideToMove),
      m_draws(rulesCode, start, sideToMove), m_scratch(ruleset::makeEngine(rulesCode))
{
}
GameRecord::~GameRecord() = default;
GameRecord::GameRecord(const GameRecord& other)
    : m_rules(other.m_rules), m_side1Colour(other.m_side1Colour), m_start(other.m_start),
      m_startSide(other.m_startSide), m_moves(other.m_moves), m_result(other.m_result),
      m_reason(other.m_reason), m_draws(other.m_draws),
      m_scratch(ruleset::makeEngine(other.m_rules))
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
    return m_moves.size() % 2 == 0 ? m_startSide : 3 - m_startSide;
}
LegalMoves GameRecord::legalMoves() const
{
    return LegalMoves(*m_scratch, position(), sideToMove());
}
GameRecord::Entry GameRecord::enter(int, const std::vector<int>&, int)
{
    return Entry::ILLEGAL;
}
bool GameRecord::playResulting(const Position&)
{
    return false;
}
bool GameRecord::play(const GameMove&)
{
    return false;
}
bool GameRecord::undo()
{
    return false;
}
std::vector<std::string> GameRecord::engineUndoList() const
{
    return {};
}
void GameRecord::replayEnd() {}
void GameRecord::judge() {}
