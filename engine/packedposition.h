#pragma once

#include "board.h"

#include <cstdint>
#include <iterator>

// A position in twelve bytes: one bit per square for side 2's pieces, side 1's pieces and the
// kings of either side. The key of the search's tables; cheap to copy, compare and turn round.
struct PackedPosition {
    std::uint32_t side2 = 0;
    std::uint32_t side1 = 0;
    std::uint32_t kings = 0;

    // From a 54-cell board; squareCells maps square numbers to cells.
    static PackedPosition fromCells(const int* cells, const int* squareCells)
    {
        // Per cell value: bit 0 side 2, bit 1 side 1, bit 2 king.
        constexpr std::uint32_t OWNER[] = {0, 2, 2 | 4, 0, 1 | 4, 1};
        PackedPosition packed;
        for (int square = 0; square < SQUARES; ++square) {
            const auto value = static_cast<std::uint32_t>(cells[squareCells[square]]);
            const std::uint32_t owner = value < std::size(OWNER) ? OWNER[value] : 0;
            packed.side2 |= (owner & 1) << square;
            packed.side1 |= ((owner >> 1) & 1) << square;
            packed.kings |= ((owner >> 2) & 1) << square;
        }
        return packed;
    }

    // Writes the 32 playable cells; the border is not touched.
    void toCells(int* cells, const int* squareCells) const
    {
        for (int square = 0; square < SQUARES; ++square) {
            const std::uint32_t bit = std::uint32_t{1} << square;
            const bool king = kings & bit;
            int value = FREE;
            if (side2 & bit)
                value = king ? KING2 : MAN2;
            else if (side1 & bit)
                value = king ? KING1 : MAN1;
            cells[squareCells[square]] = value;
        }
    }

    // The same position seen by the other side, who is then side 2 to move: square s becomes
    // square 31 - s and the sides change places.
    PackedPosition rotated() const
    {
        return PackedPosition{reversed(side1), reversed(side2), reversed(kings)};
    }

    std::uint64_t hash() const
    {
        std::uint64_t h = (std::uint64_t{side2} << 32 | side1) * 0x9E3779B97F4A7C15ULL;
        h ^= (h >> 29) ^ (std::uint64_t{kings} * 0xC2B2AE3D27D4EB4FULL);
        return h ^ (h >> 32);
    }

    bool operator==(const PackedPosition& other) const
    {
        return side2 == other.side2 && side1 == other.side1 && kings == other.kings;
    }
    bool operator!=(const PackedPosition& other) const { return !(*this == other); }

    // Every square of the set moved one step in the direction; steps off the board are dropped.
    // Directions: 0 and 1 towards row 0, 2 and 3 towards row 7 (side 2's forward steps).
    static constexpr std::uint32_t stepped(std::uint32_t set, int direction)
    {
        switch (direction) {
        case 0:
            return ((set & EVEN_ROWS) >> 4) | ((set & ODD_ROWS & ~LEFT_SQUARES) >> 5);
        case 1:
            return ((set & EVEN_ROWS & ~RIGHT_SQUARES) >> 3) | ((set & ODD_ROWS) >> 4);
        case 2:
            return ((set & EVEN_ROWS) << 4) | ((set & ODD_ROWS & ~LEFT_SQUARES) << 3);
        default:
            return ((set & EVEN_ROWS & ~RIGHT_SQUARES) << 5) | ((set & ODD_ROWS) << 4);
        }
    }

private:
    // Rows alternate between starting on the left and on the right, so a step in bits depends on
    // the row.
    static constexpr std::uint32_t EVEN_ROWS = 0x0F0F0F0Fu;
    static constexpr std::uint32_t ODD_ROWS = 0xF0F0F0F0u;
    static constexpr std::uint32_t LEFT_SQUARES = 0x11111111u;  // the first square of each row
    static constexpr std::uint32_t RIGHT_SQUARES = 0x88888888u; // the last square of each row

    static std::uint32_t reversed(std::uint32_t bits)
    {
        // The bits within each byte, then the bytes.
        bits = ((bits >> 1) & 0x55555555u) | ((bits & 0x55555555u) << 1);
        bits = ((bits >> 2) & 0x33333333u) | ((bits & 0x33333333u) << 2);
        bits = ((bits >> 4) & 0x0F0F0F0Fu) | ((bits & 0x0F0F0F0Fu) << 4);
        return __builtin_bswap32(bits);
    }
};
