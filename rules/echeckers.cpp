#include "echeckers.h"

#include <algorithm>

bool ECheckers::go1(int from, int to)
{
    const std::string before = toString(false);
    if (!enterMove(SIDE1, from, to))
        return false;
    save_undo(before);
    return true;
}

bool ECheckers::go2_human(int from, int to)
{
    return enterMove(SIDE2, from, to);
}

// The move of a person for either side: a complete capture sequence of the piece on from ending
// on to while the side has any capture, otherwise a one-step move.
bool ECheckers::enterMove(const Side& side, int from, int to)
{
    if (!acceptsEntry(side, from, to))
        return false;
    const int start = internal(from);
    const bool mustCapture = side.towardsRow0 ? checkCapture1() : checkCapture2();
    if (mustCapture) {
        bool jumped = false;
        if (board[start] == side.man) {
            return std::any_of(std::begin(side.forward), std::end(side.forward),
                               [&](int step) { return manCapturePath(side, start, step, jumped); });
        }
        return std::any_of(std::begin(STEPS), std::end(STEPS),
                           [&](int step) { return kingCapturePath(side, start, step, jumped); });
    }

    const bool isMan = board[start] == side.man;
    const int* first = isMan ? std::begin(side.forward) : std::begin(STEPS);
    const int* last = isMan ? std::end(side.forward) : std::end(STEPS);
    if (std::none_of(first, last, [&](int step) { return start + step == target; }))
        return false;
    board[start] = FREE;
    board[target] = (!isMan || side.promotes(target)) ? side.king : side.man;
    return true;
}

bool ECheckers::canCapture(const Side& side, int cell) const
{
    if (board[cell] == side.man) {
        return std::any_of(std::begin(side.forward), std::end(side.forward),
                           [&](int step) { return canJump(side, cell, step); });
    }
    if (board[cell] == side.king) {
        return std::any_of(std::begin(STEPS), std::end(STEPS),
                           [&](int step) { return canJump(side, cell, step); });
    }
    return false;
}

bool ECheckers::checkCapture1(int cell) const
{
    return canCapture(SIDE1, cell);
}

bool ECheckers::checkCapture1() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (checkCapture1(cell))
            return true;
    }
    return false;
}

bool ECheckers::checkCapture2() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (canCapture(SIDE2, cell))
            return true;
    }
    return false;
}

void ECheckers::kingMove2(int cell, int& best)
{
    board[cell] = FREE;
    for (int step : STEPS) {
        const int to = cell + step;
        if (board[to] != FREE)
            continue;
        board[to] = KING2;
        turn(best, false);
        board[to] = FREE;
    }
    board[cell] = KING2;
}

bool ECheckers::manCapture2(int cell, int& best)
{
    bool any = false;
    for (int step : SIDE2.forward) {
        if (!canJump(SIDE2, cell, step))
            continue;
        any = true;
        const Jump jump = startJump(cell, cell + step);
        const int landing = cell + 2 * step;
        --best;
        if (SIDE2.promotes(landing)) {
            board[landing] = KING2; // crowning ends the move
            turn(best, true);
        } else {
            board[landing] = MAN2;
            if (!manCapture2(landing, best))
                turn(best, true);
        }
        ++best;
        board[landing] = FREE;
        undoJump(jump, MAN2);
    }
    return any;
}

bool ECheckers::kingCapture2(int cell, int step, int& best)
{
    if (!canJump(SIDE2, cell, step))
        return false;
    const Jump jump = startJump(cell, cell + step);
    const int landing = cell + 2 * step;
    --best;
    board[landing] = KING2;
    const StepsAcross across = stepsAcross(step);
    const bool goesOnFirst = kingCapture2(landing, across.first, best);
    const bool goesOnSecond = kingCapture2(landing, across.second, best);
    const bool goesOnStraight = kingCapture2(landing, step, best);
    if (!goesOnFirst && !goesOnSecond && !goesOnStraight)
        turn(best, true);
    board[landing] = FREE;
    ++best;
    undoJump(jump, KING2);
    return true;
}

bool ECheckers::manCapture1(int cell, int step, bool& jumped)
{
    return manCapturePath(SIDE1, cell, step, jumped);
}

bool ECheckers::kingCapture1(int cell, int step, bool& jumped)
{
    return kingCapturePath(SIDE1, cell, step, jumped);
}

bool ECheckers::manCapture2(int cell, int step, bool& jumped)
{
    return manCapturePath(SIDE2, cell, step, jumped);
}

bool ECheckers::kingCapture2(int cell, int step, bool& jumped)
{
    return kingCapturePath(SIDE2, cell, step, jumped);
}

// A sequence of the man on cell, first jump in step, that may end on target. A man crowned by a
// jump stops there; otherwise it must jump on while it can.
bool ECheckers::manCapturePath(const Side& side, int cell, int step, bool& jumped)
{
    if (!canJump(side, cell, step))
        return false;
    const Jump jump = startJump(cell, cell + step);
    const int landing = cell + 2 * step;
    bool goesOn = false;
    if (side.promotes(landing)) {
        board[landing] = side.king;
    } else {
        board[landing] = side.man;
        if (manCapturePath(side, landing, side.forward[0], goesOn) ||
            manCapturePath(side, landing, side.forward[1], goesOn)) {
            removeJumped(jump);
            return true;
        }
    }
    if (!goesOn && landing == target) {
        removeJumped(jump);
        return true;
    }
    jumped = true;
    board[landing] = FREE;
    undoJump(jump, side.man);
    return false;
}

bool ECheckers::kingCapturePath(const Side& side, int cell, int step, bool& jumped)
{
    if (!canJump(side, cell, step))
        return false;
    const Jump jump = startJump(cell, cell + step);
    const int landing = cell + 2 * step;
    board[landing] = side.king;
    bool goesOn = false;
    const StepsAcross across = stepsAcross(step);
    if (kingCapturePath(side, landing, across.first, goesOn) ||
        kingCapturePath(side, landing, across.second, goesOn) ||
        kingCapturePath(side, landing, step, goesOn)) {
        removeJumped(jump);
        return true;
    }
    if (!goesOn && landing == target) {
        removeJumped(jump);
        return true;
    }
    jumped = true;
    board[landing] = FREE;
    undoJump(jump, side.king);
    return false;
}
