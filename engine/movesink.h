#pragma once

// Receives the complete moves of side 2 that the rule set's generators make, one call per move,
// instead of the search valuing them. `cells` is the whole 54-cell board after the move, with the
// jumped pieces already removed; `jumps` is the number of pieces the move jumped.
class MoveSink
{
public:
    virtual ~MoveSink() = default;
    virtual void onMove(const int* cells, int jumps) = 0;
};
