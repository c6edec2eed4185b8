#pragma once

// What the board view offers the game: a way to tell it that the engine, or a setting that
// decides how the sides are shown, has changed.
class CheckersBoard
{
public:
    // The view adapts to the engine and settings; it neither repaints nor touches the position.
    virtual void set_checkers() = 0;
    virtual ~CheckersBoard() = default;
};
