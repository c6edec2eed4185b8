#include "drawrules.h"

DrawRules::DrawRules(int rulesCode, const Position&, int) : m_rules(rulesCode) {}
EndReason DrawRules::afterMove(const GameMove&)
{
    return EndReason::NONE;
}
void DrawRules::seePosition(const Position&, int) {}
bool DrawRules::lonesomeBalance(const Position&) const
{
    return false;
}
