#pragma once

#include <cstdint>

class Checkers;

// Counts the move sequences of a given length from the engine's position, side 2 to move first,
// with the moves exactly as the search generates them: every complete capture sequence, and
// every square a king's last jump may end on, counts once. The position is left as it was.
class Perft
{
public:
    explicit Perft(Checkers& engine) : m_engine(engine) {}

    std::uint64_t count(int depth);

private:
    Checkers& m_engine;
};
