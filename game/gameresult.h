#pragma once

// How a game stands, by colour, and why it ended.
enum class GameResult { ONGOING, WHITE_WINS, BLACK_WINS, DRAW };

enum class EndReason {
    NONE,        // the game goes on
    NO_MOVES,    // the side to move cannot move and loses
    REPETITION,  // the same position with the same side to move for the third time
    KINGS_ONLY,  // Russian: 15 moves by each side with only kings moving and nothing taken
    THREE_KINGS, // Russian: three or more kings against a lone king not won within 15 moves
    FORTY_MOVES, // English: 40 moves by each side with no man moving and nothing taken
    BALANCE_30,  // Russian: kings on both sides, 4 or 5 pieces, 30 moves each without a capture
                 // or a crowning
    BALANCE_60,  // Russian: the same with 6 or 7 pieces, for 60 moves each
};

// The PDN result token: "1-0", "0-1", "1/2-1/2" or "*".
const char* resultToken(GameResult result);
// The word checkers-cli prints: "no-moves", "repetition", "kings-only", "three-kings",
// "forty-moves", "balance-30", "balance-60" or "-".
const char* reasonWord(EndReason reason);
