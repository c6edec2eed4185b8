#pragma once

#include "movesink.h"
#include "packedposition.h"

// The plain full-width search as the fast fixed-level search (Search) sees it: the order in
// which it meets the root's moves, which decides among equal moves, and its value of a position,
// for the rare position too wide for the fast search's lists.
class ReferenceSearch
{
public:
    virtual ~ReferenceSearch() = default;
    // Hands every complete move of side 2 at the root to the sink, in the full-width search's
    // order, the board after each with its jumped pieces gone.
    virtual void rootMoves(MoveSink& sink) = 0;
    // The full-width value of the position for side 2 with `plies` left of a search of `level`.
    virtual int referenceValue(const PackedPosition& position, int plies, int level) = 0;
};
