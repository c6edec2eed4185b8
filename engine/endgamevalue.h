#pragma once

#include <cstdint>

// What an endgame table knows of a position, for the side to move: won, drawn or lost, and the
// distance in plies to the next capture or man's move (the move that starts the draw rules'
// count again) with the winner hurrying and the loser holding out. With c plies of that count
// already played, a stored win is a win exactly when distance <= limit - c.
struct EndgameValue {
    enum class Outcome : std::uint8_t { DRAW, WIN, LOSS };

    Outcome outcome = Outcome::DRAW;
    int distance = 0;

    // One byte a position: 0 a draw, 1..127 a win in so many plies, 128 + d a loss in d.
    static constexpr std::uint8_t DRAW_CODE = 0;
    static constexpr std::uint8_t LOSS_BASE = 128;
    static constexpr int MAX_DISTANCE = 126;

    static EndgameValue decode(std::uint8_t code)
    {
        if (code == DRAW_CODE)
            return EndgameValue{};
        if (code < LOSS_BASE)
            return EndgameValue{Outcome::WIN, code};
        return EndgameValue{Outcome::LOSS, code - LOSS_BASE};
    }
    std::uint8_t encode() const
    {
        switch (outcome) {
        case Outcome::WIN:
            return static_cast<std::uint8_t>(distance);
        case Outcome::LOSS:
            return static_cast<std::uint8_t>(LOSS_BASE + distance);
        default:
            return DRAW_CODE;
        }
    }
    bool operator==(const EndgameValue& other) const
    {
        return outcome == other.outcome && distance == other.distance;
    }
    bool operator!=(const EndgameValue& other) const { return !(*this == other); }
};
