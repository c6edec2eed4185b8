#pragma once

#include "pdn.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The games a player can look back at: those of games.pdn, newest first, then those of every
// *.pdn file in a folder of collections, by file name and then in file order. Built by one
// streaming pass over each file that keeps, per game, where its text begins and the few fields a
// list shows, never the game itself: the memory grows by a bounded entry per game, whatever the
// games hold. A game is replayed only when it is opened (or checked), alone, from its offset.
//
// The pass finds what it can without replaying: a game cut short (the text ends, or the next
// game begins, before its result) and a GameType other than 21 or 25. A move the rules refuse is
// found when the game is opened or checked, and from then on the entry says so.
class GameList
{
public:
    // The longest date, player name or result kept for a row; longer tag values are cut there.
    static constexpr std::size_t MAX_FIELD = 40;

    struct Entry {
        std::size_t file = 0;     // index into files()
        std::uint64_t offset = 0; // byte of the file where the game's text begins
        std::string date;         // the Date tag as written ("2026.12.09"), empty when none
        std::string white;        // the White and Black tags, empty when none
        std::string black;
        int rules = 0;        // the GameType code, 0 when it names no rule set of the game
        std::string result;   // the result token ("1-0", "*"), empty for a game cut short
        int plies = 0;        // the moves written (a game cut short: those before the cut)
        bool checked = false; // replayed once: `problem` is final
        // Why the game cannot be replayed ("the game is cut short: ..."); empty when it can, as
        // far as is known.
        std::string problem;

        bool readable() const { return problem.empty(); }
    };

    // A game opened for replay.
    struct Opened {
        std::optional<Pdn::Game> game; // set when it could be replayed
        std::string problem;           // why not, otherwise
    };

    // The list of `archive` (games.pdn; a missing one lists nothing) and of every *.pdn in
    // `folder` (empty, or a missing folder: none). A file that cannot be read is left out and
    // named in problems().
    static GameList build(const std::string& archive, const std::string& folder);

    // Adds the games of one file, in file order or newest (last) first.
    void addFile(const std::string& path, bool newestFirst);
    // Adds the games of every *.pdn file directly in `folder`, by file name.
    void addFolder(const std::string& folder);
    // Adds the games of a stream as if it were the file `name` (for the tests and the builder).
    void addStream(std::istream& in, const std::string& name, bool newestFirst);

    const std::vector<std::string>& files() const { return m_files; }
    std::size_t size() const { return m_rows.size(); }
    // The row of game `index` (0 is the first listed).
    Entry entry(std::size_t index) const;
    // Files that could not be read, each as "path: why".
    const std::vector<std::string>& problems() const { return m_problems; }

    // Reads the game of entry `index` alone and replays it by the rules; the entry then records
    // whether that worked. The person at the keys is given the colour the tags name "Player",
    // White otherwise.
    Opened open(std::size_t index);
    // Replays the game of entry `index` to find a move the rules refuse; true when it can be
    // replayed. A game checked once is not read again.
    bool check(std::size_t index);

private:
    // An entry as kept: its texts stand once in m_texts, however many games share them (the
    // players, the dates, the reasons), so that a row costs a few words.
    struct Row {
        std::uint64_t offset = 0;
        std::uint32_t file = 0;
        std::uint32_t date = 0;
        std::uint32_t white = 0;
        std::uint32_t black = 0;
        std::uint32_t result = 0;
        std::uint32_t problem = 0;
        std::int32_t plies = 0;
        std::uint8_t rules = 0;
        bool checked = false;
    };

    static Opened openStream(std::istream& in, std::uint64_t offset);
    void add(Entry&& entry);
    std::uint32_t textIndex(const std::string& text);

    std::vector<std::string> m_files;
    std::vector<Row> m_rows;
    std::vector<std::string> m_texts; // [0] is the empty text
    std::unordered_map<std::string, std::uint32_t> m_textIndex;
    std::vector<std::string> m_problems;
};
