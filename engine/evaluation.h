#pragma once

#include "movegenerator.h"
#include "packedposition.h"

// Grandmaster's judgement of a quiet position, in hundredths of a man, for side 2 (the side to
// move). Unlike the fixed levels, which count jumps only, it weighs what a player weighs: kings
// above men, men near the crown and men nobody can stop any more, the back rank held against
// the opponent's crowning, the centre, mobility and kings that cannot move. Both sides are
// judged by the same rules, so that a position and the same position turned round for the
// other side are worth exactly opposite values.
class Evaluation
{
public:
    // The weights, in hundredths of a man. Rules set them; tests and tuning may change them.
    struct Weights {
        int man;
        int king;
        int advance[8];    // a man on each row counted from its own back rank
        int backRank;      // a man on its own back rank while the opponent still has men
        int centre;        // a man on one of the four central squares
        int kingCentre;    // a king on the long middle diagonals' central squares
        int kingEdge;      // a king on the edge of the board
        int mobility;      // each simple move
        int runaway;       // a man with no opposing piece left in its path to the crown
        int runawayPerRow; // taken off the runaway bonus for each row it has still to go
        int trappedKing;   // a king without a single free square beside it
        int trade;         // share of a material lead added as the board empties, per 64
    };

    explicit Evaluation(MoveGenerator::Rules rules);

    static Weights defaultWeights(MoveGenerator::Rules rules);
    const Weights& weights() const { return m_weights; }
    void setWeights(const Weights& weights) { m_weights = weights; }

    // The position's value for side 2, to move. A side 2 without a simple move and without a
    // capture has lost; the caller tells that apart first (see hasSimpleMove).
    int value(const PackedPosition& position) const;
    // Whether side 2 has a simple move (a capture is the move generator's question).
    static bool hasSimpleMove(const PackedPosition& position);

private:
    // What side 2's pieces are worth, with side 1 as the opponent; material separately.
    int positional(const PackedPosition& position) const;
    int material(const PackedPosition& position) const;

    Weights m_weights;
};
