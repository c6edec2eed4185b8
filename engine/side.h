#pragma once

#include "board.h"

// One player's view of the board: which values are its pieces, which are the opponent's, where
// its men go and where they are crowned. Lets the rule sets write each check once for both sides.
struct Side {
    int man;
    int king;
    int forward[2];   // a man's forward steps, in the order the rules try them
    int crownTurn;    // added to a crowning jump's step to go on as a king
    bool towardsRow0; // side 1

    constexpr bool isOpponent(int value) const
    {
        return towardsRow0 ? (value == MAN2 || value == KING2) : (value == MAN1 || value == KING1);
    }
    constexpr bool promotes(int cell) const
    {
        return towardsRow0 ? cell < PROMOTION1_END : cell >= PROMOTION2_START;
    }
};

constexpr Side SIDE1{MAN1, KING1, {UP_LEFT, UP_RIGHT}, CROWN_TURN, true};
constexpr Side SIDE2{MAN2, KING2, {DOWN_LEFT, DOWN_RIGHT}, -CROWN_TURN, false};
