#pragma once

#include "colour.h"
#include "gamerecord.h"

#include <functional>
#include <iosfwd>
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
    // Every tag of a game as read, by name.
    using TagValues = std::map<std::string, std::string>;
    // One game read: every tag as written, and the game replayed by the rules.
    struct Game {
        TagValues tags;
        GameRecord record;
    };
    // Why a text could not be read: the line it was found on (from 1), the game (from 1; 0 when
    // the text holds none), the move number (0 for a tag or the text around the moves), the
    // word or tag name at fault, and the reason.
    struct Error {
        int line = 0;
        int game = 0;
        int moveNumber = 0;
        std::string moveText;
        std::string reason;

        // "line 3, game 2, move 2 "c3-b4": not a legal move"
        std::string describe() const;
    };
    struct ReadResult {
        std::vector<Game> games;
        std::optional<Error> error; // set when a game could not be read; games read before it stay
    };
    // The colour a game's record gives side 1, the bottom of the screen, chosen from its tags
    // before its moves are replayed.
    using Side1Colour = std::function<Colour(const TagValues& tags)>;
    // Takes each game as soon as it has been read; false stops the reading.
    using EachGame = std::function<bool(Game& game)>;
    // Takes each game cut short, as the error that says where (its last line) and why; false
    // stops the reading.
    using EachTorn = std::function<bool(const Error& torn)>;

    // Longest tag value, tag name or movetext word, and most tags in one game: what one game may
    // hold in memory while it is read.
    static constexpr std::size_t MAX_TAG_VALUE = 4096;
    static constexpr std::size_t MAX_WORD = 128;
    static constexpr std::size_t MAX_TAGS = 100;

    // The record as PDN: tags Event, Date, White, Black, Result, GameType (SetUp and FEN when it
    // did not start from the standard position), the moves with their numbers and the result
    // token. A capture lists every landing square when another legal move shares its start and
    // final square, or when it ends on its start square.
    static std::string write(const GameRecord& record, const Tags& tags);
    // Reads the games of `in` one at a time, replays each by the rules (GameType 21 or 25,
    // SetUp/FEN honoured) and hands it to `each`, so that only one game is held at a time. A
    // byte-order mark, comments and blank text before, between and after the games are skipped.
    // Returns the first error (a text without a game is one), or nothing when the text ended or
    // `each` stopped the reading. Torn or garbage text gives an error, never a crash or a hang;
    // std::bad_alloc only when even one game's bounded text cannot be had.
    static std::optional<Error> read(std::istream& in, const Side1Colour& side1,
                                     const EachGame& each);
    // The same, but a game cut short is handed to `torn` and the reading goes on with the next
    // game: a game whose text stops before its result, at the end of the text, or at the end of
    // a line (in the middle of a tag or a word, perhaps) followed by the next game's first tag at
    // the start of a line. That tag begins the next game when it follows the moves or repeats a
    // tag of the game before it, or, cut short itself, when its name begins as that game's first
    // tag's does: both games are then cut short. A file that grows a whole game at a time thus
    // reads back whole but for a game whose writing was cut short, and the games added after that
    // one are read.
    static std::optional<Error> read(std::istream& in, const Side1Colour& side1,
                                     const EachGame& each, const EachTorn& torn);
    // Every game of a short text, with side 1 playing `side1Colour` in each.
    static ReadResult read(const std::string& text, Colour side1Colour);
    // Today's local date in the Date tag's form "YYYY.MM.DD".
    static std::string today();
};
