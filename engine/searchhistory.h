#pragma once

#include "drawcounters.h"
#include "movegenerator.h"
#include "packedposition.h"

#include <vector>

// What a search must know of the game before its root: the positions since the last capture or
// man's move (the only ones that can come again) and the draw rules' counters at the root. Each
// earlier position is kept as the side to move there sees it (side 2 to move), as the search
// keeps its own, so that a position is the same position only with the same side to move.
class SearchHistory
{
public:
    // Positions kept at most: more than any draw rule lets a game go on without a capture or
    // a man's move.
    static constexpr int MAX_POSITIONS = 128;

    // No history: the root is where the game started.
    SearchHistory() = default;

    // From the game's positions, oldest first, the last one the root, each a move after the one
    // before it and all laid out on the root's board (the root's side to move is side 2). The
    // counters are those the game's draw rules keep, counted from the first position. Empty:
    // no history.
    static SearchHistory ofGame(MoveGenerator::Rules rules,
                                const std::vector<PackedPosition>& positions);

    // A game whose earlier positions are not known, only the draw rules' counts at `root`.
    static SearchHistory withCounters(const PackedPosition& root, const DrawCounters& counters);

    // The index of the first position no legal move leads to from the one before it, or -1
    // when each follows from the one before (positions as ofGame takes them).
    static int firstUnconnected(MoveGenerator::Rules rules,
                                const std::vector<PackedPosition>& positions);

    // Was any history given? Without one the counters start at the root.
    bool given() const { return m_given; }
    // Does the history end in this root? An empty history is for every root.
    bool isFor(const PackedPosition& root) const { return !m_given || root == m_root; }
    // The earlier positions that may come again, oldest first, each from its mover's side.
    const std::vector<PackedPosition>& positions() const { return m_positions; }
    // The draw rules' counters at the root.
    const DrawCounters& counters() const { return m_counters; }

private:
    bool m_given = false;
    PackedPosition m_root;
    std::vector<PackedPosition> m_positions;
    DrawCounters m_counters;
};
