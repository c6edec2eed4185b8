#pragma once

// The colours of the two players. Which engine side plays which colour is decided by the game:
// the side that moves first is White under Russian rules and Black under English rules.
enum class Colour { White, Black };

constexpr Colour other(Colour colour)
{
    return colour == Colour::White ? Colour::Black : Colour::White;
}
