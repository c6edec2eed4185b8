#pragma once

#include "gamerecord.h"

#include <optional>
#include <string>

// The game in progress kept in a PDN file (checkers.pdn beside the game), written after every
// move so that the game survives the program's end, and read back at the next start. The White
// and Black tags say who plays each colour: the person at the keys, the computer or the second
// person; they tell a resumed game which side is whose.
class SavedGame
{
public:
    // The file's name beside the game.
    static constexpr char FILE_NAME[] = "checkers.pdn";
    static constexpr char PERSON[] = "Player";
    static constexpr char SECOND_PERSON[] = "Second player";
    static constexpr char COMPUTER[] = "Computer";
    // A record larger than this is no game of ours.
    static constexpr std::size_t MAX_FILE_BYTES = 1 << 20;

    // A game read back: the record replayed by the rules, whether side 2 is a second person, and
    // the date the game began ("YYYY.MM.DD").
    struct Game {
        GameRecord record;
        bool secondHuman = false;
        std::string date;
    };

    explicit SavedGame(std::string path);

    const std::string& path() const { return m_path; }

    // The unfinished game of the rule set `rulesCode` kept in the file, read as a stream that
    // stops at a second game. A missing file, a finished game (by the rules or by its Result
    // tag) or one of other rules gives nothing (a new game replaces it). A finished game is first
    // added to the archive beside the file (games.pdn) unless that ends with it already: the
    // program may have stopped between keeping its ending and adding it; when it cannot be
    // added the file is set aside, so that the game is not lost. A file that cannot be
    // read as one of our games (torn, garbage, an illegal move, unknown players, more than one
    // game, too large for the memory) is set aside as "<path>.bad" (".bad.1", ".bad.2", ... when
    // taken), reported in one line on standard error, and gives nothing. Removes what
    // interrupted saves left first: it is called at start-up.
    std::optional<Game> load(int rulesCode) const;

    // Writes the game atomically (through a link, keeping the file's mode); false, reported on
    // standard error, when it could not.
    bool save(const GameRecord& record, bool secondHuman, const std::string& date) const;

    // The game as the file keeps it: PDN with the date the game began and, in the White and
    // Black tags, who plays each colour.
    static std::string text(const GameRecord& record, bool secondHuman, const std::string& date);

    // Today's date as PDN writes it: "YYYY.MM.DD".
    static std::string today();

private:
    // What load does, but for running out of memory, which load answers.
    std::optional<Game> read(int rulesCode) const;
    // Sees the finished game kept in the file into the archive beside it, or sets the file aside.
    void archiveFinished() const;
    // Sets the file aside and says why on standard error.
    void setAside(const std::string& why) const;

    std::string m_path;
};
