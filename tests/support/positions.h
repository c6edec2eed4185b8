#pragma once

#include "engine/checkers.h"

#include <array>
#include <initializer_list>
#include <string>
#include <utility>

// Positions for the tests, written as the pieces on named squares; every other square is empty.
namespace positions
{

using Piece = std::pair<int, int>; // square, cell value

inline std::string text(std::initializer_list<Piece> pieces)
{
    std::array<int, SQUARES> values;
    values.fill(FREE);
    for (const Piece& piece : pieces)
        values[piece.first] = piece.second;
    std::string result;
    for (int value : values)
        result += std::to_string(value) + ' ';
    return result;
}

inline const std::string& start()
{
    static const std::string text =
        "5 5 5 5 5 5 5 5 5 5 5 5 3 3 3 3 3 3 3 3 1 1 1 1 1 1 1 1 1 1 1 1 ";
    return text;
}

// The value on a square.
inline int at(const Checkers& engine, int square)
{
    return engine.board[engine.internal(square)];
}

// The whole 54-cell board, for comparing before and after.
inline std::array<int, CELLS> cells(const Checkers& engine)
{
    std::array<int, CELLS> copy;
    std::copy(std::begin(engine.board), std::end(engine.board), copy.begin());
    return copy;
}

} // namespace positions
