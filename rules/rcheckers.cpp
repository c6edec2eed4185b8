#include "rcheckers.h"

#include <algorithm>

bool RCheckers::go1(int from, int to)
{
    const std::string before = toString(false);
    if (!enterMove(SIDE1, from, to))
        return false;
    save_undo(before);
    return true;
}

bool RCheckers::go2_human(int from, int to)
{
    return enterMove(SIDE2, from, to);
}

RCheckers::KingJump RCheckers::findKingJump(const Side& side, int cell, int step) const
{
    int jumpedCell = cell + step;
    while (board[jumpedCell] == FREE)
        jumpedCell += step;
    if (!side.isOpponent(board[jumpedCell]) || board[jumpedCell + step] != FREE)
        return {};
    int farthest = jumpedCell + step;
    while (board[farthest + step] == FREE)
        farthest += step;
    return {jumpedCell, jumpedCell + step, farthest};
}

// The move of a person for either side: a complete capture sequence of the piece on from ending
// on to while the side has any capture, otherwise a simple move (a king's along a free diagonal).
bool RCheckers::enterMove(const Side& side, int from, int to)
{
    if (!acceptsEntry(side, from, to))
        return false;
    const int start = internal(from);
    const bool mustCapture = side.towardsRow0 ? checkCapture1() : checkCapture2();
    if (mustCapture) {
        bool jumped = false;
        const bool isMan = board[start] == side.man;
        return std::any_of(std::begin(STEPS), std::end(STEPS), [&](int step) {
            return isMan ? manCapturePath(side, start, step, jumped)
                         : kingCapturePath(side, start, step, jumped);
        });
    }

    if (board[start] == side.man) {
        if (std::none_of(std::begin(side.forward), std::end(side.forward),
                         [&](int step) { return start + step == target; }))
            return false;
        board[start] = FREE;
        board[target] = side.promotes(target) ? side.king : side.man;
        return true;
    }
    for (int step : STEPS) {
        for (int cell = start + step; board[cell] == FREE; cell += step) {
            if (cell == target) {
                board[start] = FREE;
                board[target] = side.king;
                return true;
            }
        }
    }
    return false;
}

bool RCheckers::canCapture(const Side& side, int cell) const
{
    if (board[cell] == side.man) {
        return std::any_of(std::begin(STEPS), std::end(STEPS),
                           [&](int step) { return canJump(side, cell, step); });
    }
    if (board[cell] == side.king) {
        return std::any_of(std::begin(STEPS), std::end(STEPS), [&](int step) {
            return findKingJump(side, cell, step).jumpedCell != 0;
        });
    }
    return false;
}

bool RCheckers::checkCapture1(int cell) const
{
    return canCapture(SIDE1, cell);
}

bool RCheckers::checkCapture1() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (checkCapture1(cell))
            return true;
    }
    return false;
}

bool RCheckers::checkCapture2() const
{
    for (int cell = FIRST_CELL; cell <= LAST_CELL; ++cell) {
        if (canCapture(SIDE2, cell))
            return true;
    }
    return false;
}

void RCheckers::kingMove2(int cell, int& best)
{
    board[cell] = FREE;
    for (int step : STEPS) {
        for (int to = cell + step; board[to] == FREE; to += step) {
            board[to] = KING2;
            turn(best, false);
            board[to] = FREE;
        }
    }
    board[cell] = KING2;
}

bool RCheckers::manCapture2(int cell, int& best)
{
    bool any = false;
    for (int step : STEPS) {
        if (!canJump(SIDE2, cell, step))
            continue;
        any = true;
        const Jump jump = startJump(cell, cell + step);
        const int landing = cell + 2 * step;
        --best;
        if (SIDE2.promotes(landing)) {
            board[landing] = KING2; // crowned at once, and goes on as a king if it can
            if (!kingCapture2(landing, step + SIDE2.crownTurn, best))
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

// Every complete sequence of the king is valued once for each square it may end on; a sequence
// that can go on from some landing square is never valued on the way.
bool RCheckers::kingCapture2(int cell, int step, int& best)
{
    const KingJump reach = findKingJump(SIDE2, cell, step);
    if (reach.jumpedCell == 0)
        return false;
    const Jump jump = startJump(cell, reach.jumpedCell);
    --best;
    const StepsAcross across = stepsAcross(step);
    bool goesOn = false;
    for (int landing = reach.nearest;; landing += step) {
        board[landing] = KING2;
        goesOn |= kingCapture2(landing, across.first, best);
        goesOn |= kingCapture2(landing, across.second, best);
        board[landing] = FREE;
        if (landing == reach.farthest)
            break;
    }
    board[reach.farthest] = KING2;
    goesOn |= kingCapture2(reach.farthest, step, best);
    board[reach.farthest] = FREE;
    if (!goesOn) {
        for (int landing = reach.farthest;; landing -= step) {
            board[landing] = KING2;
            turn(best, true);
            board[landing] = FREE;
            if (landing == reach.nearest)
                break;
        }
    }
    ++best;
    undoJump(jump, KING2);
    return true;
}

bool RCheckers::manCapture1(int cell, int step, bool& jumped)
{
    return manCapturePath(SIDE1, cell, step, jumped);
}

bool RCheckers::kingCapture1(int cell, int step, bool& jumped)
{
    return kingCapturePath(SIDE1, cell, step, jumped);
}

bool RCheckers::manCapture2(int cell, int step, bool& jumped)
{
    return manCapturePath(SIDE2, cell, step, jumped);
}

bool RCheckers::kingCapture2(int cell, int step, bool& jumped)
{
    return kingCapturePath(SIDE2, cell, step, jumped);
}

// A sequence of the man on cell, first jump in step, that may end on target. A man crowned on the
// way goes on as a king when it can.
bool RCheckers::manCapturePath(const Side& side, int cell, int step, bool& jumped)
{
    if (!canJump(side, cell, step))
        return false;
    const Jump jump = startJump(cell, cell + step);
    const int landing = cell + 2 * step;
    bool goesOn = false;
    bool done = false;
    if (side.promotes(landing)) {
        board[landing] = side.king;
        done = kingCapturePath(side, landing, step + side.crownTurn, goesOn);
    } else {
        board[landing] = side.man;
        const StepsAcross across = stepsAcross(step);
        done = manCapturePath(side, landing, across.first, goesOn) ||
               manCapturePath(side, landing, across.second, goesOn) ||
               manCapturePath(side, landing, step, goesOn);
    }
    if (done || (!goesOn && landing == target)) {
        removeJumped(jump);
        return true;
    }
    jumped = true;
    board[landing] = FREE;
    undoJump(jump, side.man);
    return false;
}

bool RCheckers::kingCapturePath(const Side& side, int cell, int step, bool& jumped)
{
    const KingJump reach = findKingJump(side, cell, step);
    if (reach.jumpedCell == 0)
        return false;
    const Jump jump = startJump(cell, reach.jumpedCell);
    bool goesOn = false;
    const StepsAcross across = stepsAcross(step);
    for (int landing = reach.nearest;; landing += step) {
        board[landing] = side.king;
        if (kingCapturePath(side, landing, across.first, goesOn) ||
            kingCapturePath(side, landing, across.second, goesOn)) {
            removeJumped(jump);
            return true;
        }
        board[landing] = FREE;
        if (landing == reach.farthest)
            break;
    }
    board[reach.farthest] = side.king;
    if (kingCapturePath(side, reach.farthest, step, goesOn)) {
        removeJumped(jump);
        return true;
    }
    board[reach.farthest] = FREE;
    if (!goesOn) {
        // No further jump from any landing square: the king may stop on any of them.
        for (int landing = reach.farthest;; landing -= step) {
            if (landing == target) {
                board[target] = side.king;
                removeJumped(jump);
                return true;
            }
            if (landing == reach.nearest)
                break;
        }
    }
    jumped = true;
    undoJump(jump, side.king);
    return false;
}
