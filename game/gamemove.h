#pragma once

#include "engine/position.h"

#include <vector>

// One complete move of the game, in engine terms: squares 0..31 of the engine's board (side 1 at
// the bottom) and engine sides 1 and 2.
struct GameMove {
    int side = 1;
    int from = -1;
    int to = -1;
    // A capture's landing squares in order, the last one equal to `to`; empty for a simple move.
    std::vector<int> landings;
    // The squares of the pieces taken, in the order they were jumped.
    std::vector<int> captured;
    Position before{};
    Position after{};
    bool manMoved = false; // the moving piece was a man when the move started

    bool isCapture() const { return !captured.empty(); }
};
