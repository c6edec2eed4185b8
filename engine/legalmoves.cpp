#include "legalmoves.h"

LegalMoves::LegalMoves(Checkers&, const Position&, int side) : m_side(side) {}
bool LegalMoves::captureCompulsory() const
{
    return false;
}
LegalMoves::Choice LegalMoves::find(int, const std::vector<int>&, int, bool) const
{
    return {};
}
bool LegalMoves::isLanding(int, const std::vector<int>&, int) const
{
    return false;
}
bool LegalMoves::canMoveFrom(int) const
{
    return false;
}
LegalMoves::Refusal LegalMoves::refusal() const
{
    return Refusal::ILLEGAL;
}
const GameMove* LegalMoves::leadingTo(const Position&) const
{
    return nullptr;
}
bool LegalMoves::needsLandings(const GameMove&) const
{
    return false;
}
bool LegalMoves::routeFits(size_t, const std::vector<int>&, int) const
{
    return false;
}
