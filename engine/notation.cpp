#include "notation.h"

Notation::Notation(int rulesCode, Colour bottom) : m_rules(rulesCode), m_bottom(bottom) {}
std::string Notation::squareName(int) const
{
    return {};
}
int Notation::square(const std::string&) const
{
    return -1;
}
std::string Notation::moveText(const GameMove&, bool) const
{
    return {};
}
std::optional<Notation::MoveText> Notation::parseMove(const std::string&) const
{
    return {};
}
std::string Notation::fen(const Position&, Colour) const
{
    return {};
}
std::optional<Notation::Fen> Notation::parseFen(const std::string&) const
{
    return {};
}
int Notation::standardIndex(int square) const
{
    return square;
}
