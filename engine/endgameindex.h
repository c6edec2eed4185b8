#pragma once

#include "packedposition.h"

#include <cstdint>
#include <vector>

// The numbering of endgame positions: a material (men and kings of the side to move, side 2,
// and of the opponent) and a dense index of each position of it. Positions are numbered men
// first, so that all positions with the same men on the board (a "slice", in which only kings
// move without a capture) form one contiguous range. Some indices name no position (two pieces
// on one square); isValid() tells them.
class EndgameIndex
{
public:
    struct Material {
        int men = 0; // side 2, to move
        int kings = 0;
        int otherMen = 0; // side 1
        int otherKings = 0;

        int pieces() const { return men + kings + otherMen + otherKings; }
        int allMen() const { return men + otherMen; }
        // The same material seen by the other side.
        Material swapped() const { return Material{otherMen, otherKings, men, kings}; }
        bool operator==(const Material& other) const
        {
            return men == other.men && kings == other.kings && otherMen == other.otherMen &&
                   otherKings == other.otherKings;
        }
        bool operator!=(const Material& other) const { return !(*this == other); }
    };

    // The most pieces of one kind the numbering handles.
    static constexpr int MAX_OF_A_KIND = 8;

    static Material materialOf(const PackedPosition& position);
    // Indices of the material, valid or not; 0 when a kind exceeds MAX_OF_A_KIND.
    static std::uint64_t size(const Material& material);
    // Positions with the same men: the length of one slice.
    static std::uint64_t sliceSize(const Material& material);
    // The position's index in its own material; the position must be legal (no man on its
    // crowning row, no two pieces on a square).
    static std::uint64_t indexOf(const PackedPosition& position, const Material& material);
    // The position numbered `index`; false when the index names none.
    static bool positionAt(const Material& material, std::uint64_t index, PackedPosition& out);
    // The men of slice `slice` (no kings); false when two of them share a square.
    static bool menOfSlice(const Material& material, std::uint64_t slice, PackedPosition& out);

    // Every material of one to `pieces` pieces with at least one piece a side, and every
    // kings-only material of up to `kingsOnly` pieces, in an order in which a capture or a
    // crowning always leads to a material listed earlier.
    static std::vector<Material> materials(int pieces, int kingsOnly);
    // The distance men have come from their home rows, summed over both sides; a man's move
    // that does not crown adds one.
    static int advancement(const PackedPosition& position);
};
