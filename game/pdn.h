#pragma once

#include "colour.h"
#include "gamerecord.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// Portable Draughts Notation: the game record as text, written and read back by the same rules.
class Pdn
{
public:
    // The tags the game decides; Result and GameType come from the record.
    struct Tags {
        std::string event = "Checkers";
        std::string date; // "YYYY.MM.DD"; empty writes "????.??.??"
        std::string white;
        std::string black;
    };
    // One game read: every tag as written, and the game replayed by the rules.
    struct Game {
        std::map<std::string, std::string> tags;
        GameRecord record;
    };
    // Why a text could not be read: the game (from 1), the move number (0 for a tag or the
    // text around the moves), the move text and the reason.
    struct Error {
        int game = 0;
        int moveNumber = 0;
        std::string moveText;
        std::string reason;

        std::string describe() const;
    };
    struct ReadResult {
        std::vector<Game> games;
        std::optional<Error> error; // set when a game could not be read; games read before it stay
    };

    // The record as PDN: tags Event, Date, White, Black, Result, GameType (SetUp and FEN when it
    // did not start from the standard position), the moves with their numbers and the result
    // token. A capture lists every landing square when another legal move shares its start and
    // final square, or when it ends on its start square.
    static std::string write(const GameRecord& record, const Tags& tags);
    // Reads every game of the text and replays it by the rules (GameType 21 or 25, SetUp/FEN
    // honoured). side1Colour: the colour the replayed records give side 1, the bottom of the
    // screen. Truncated or garbage text gives an error, never a crash or a hang.
    static ReadResult read(const std::string& text, Colour side1Colour);
    // Today's local date in the Date tag's form "YYYY.MM.DD".
    static std::string today();
};
