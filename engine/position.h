#pragma once

#include "board.h"

#include <array>
#include <string>

// A position as the game keeps it: the values of squares 0..31 in the engine's orientation
// (side 1 at the bottom), whichever side is to move.
using Position = std::array<int, SQUARES>;

// The engine's position text (as Checkers::toString(false) writes it).
std::string positionText(const Position& position);
// The standard starting position: side 2's men on 0..11, side 1's on 20..31.
Position startPosition();
