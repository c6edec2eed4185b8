#include "position.h"

namespace
{
constexpr int STARTING_MEN = 12; // squares 0..11 side 2, 20..31 side 1
}

std::string positionText(const Position& position)
{
    std::string text;
    text.reserve(POSITION_TEXT_LENGTH);
    for (int value : position) {
        text += std::to_string(value);
        text += ' ';
    }
    return text;
}

Position startPosition()
{
    Position position{};
    for (int square = 0; square < SQUARES; ++square) {
        if (square < STARTING_MEN)
            position[square] = MAN2;
        else if (square < SQUARES - STARTING_MEN)
            position[square] = FREE;
        else
            position[square] = MAN1;
    }
    return position;
}
