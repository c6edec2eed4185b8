#include "pdn.h"

std::string Pdn::Error::describe() const
{
    return reason;
}
std::string Pdn::write(const GameRecord&, const Tags&)
{
    return {};
}
Pdn::ReadResult Pdn::read(const std::string&, Colour)
{
    return {};
}
std::string Pdn::today()
{
    return {};
}
