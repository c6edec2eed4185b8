#pragma once

#include "gamerecord.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class SystemCalls;

// Every game played, added to a PDN file (games.pdn beside the game) that only ever grows: a game
// when it ends, each ending once (a game taken back and ended again has been played again; one
// redone to its end has not), and
// a game left unfinished for another after a person has moved in it, with the result "*" (but
// not an ended game taken back with nothing played since: that one is there already). A game is
// written as the kept game's file writes it, in one write made durable before the call returns,
// so that a power loss can lose at most the game being added. The game in progress is never
// added (closing the program keeps it for the next start, not here), and a failure here leaves
// it as it is. A game that could not be added is owed: it is tried again, before any game after
// it, at every change followed and when the archive is closed, until it is there.
class GameArchive
{
public:
    static constexpr char FILE_NAME[] = "games.pdn";
    // Games owed at most; beyond, the oldest is given up (and said so on standard error).
    static constexpr std::size_t MAX_OWED = 64;

    explicit GameArchive(std::string path);
    // The same, making its system calls through `calls`, which outlives it.
    GameArchive(std::string path, SystemCalls& calls);
    ~GameArchive();
    GameArchive(const GameArchive&) = delete;
    GameArchive& operator=(const GameArchive&) = delete;

    // The archive's path in the folder of `file`, the kept game's file.
    static std::string besideFile(const std::string& file);

    // The game as it stands after any change (a move, an undo, the game begun or resumed), with
    // whether side 2 is a second person and the day the game began. Added when it has ended
    // since it was last followed. A game followed for the first time is taken as it stands:
    // an ending it has already was kept when it happened.
    void follow(const GameRecord& record, bool secondHuman, const std::string& date);
    // The game followed so far is left for another (a new game, settings accepted, another game
    // resumed), standing as `record`: added, with the result "*" and the players it was last
    // followed with, when it is unfinished, a person has moved in it and a move has been played
    // since it last ended. A game never followed is not added. The next game followed is taken
    // as it stands.
    void leave(const GameRecord& record);

    // A finished game as the kept game's file holds it (`text`), found there at start-up: added
    // unless the archive already ends with it, as it does when its ending was added before the
    // program stopped. Reads only the archive's end. False, said on standard error, when it is
    // not there and could not be added; it is then not owed: the caller still holds it.
    bool addUnlessLast(const std::string& text);

    // A game is owed: the last addition failed (said in one line on standard error); stays so
    // until every owed game has been added.
    bool failed() const { return !m_owed.empty(); }

private:
    // A move in the record was a person's: any in a game of two people, else one of side 1
    // (the computer's opening move, made by the new game itself, is nobody's doing).
    bool personMoved(const GameRecord& record) const;
    void add(const GameRecord& record);
    // The archive's last bytes are `text`.
    bool endsWith(const std::string& text) const;
    // Adds the owed games, in the order they were owed, until one fails.
    void addOwed();

    std::unique_ptr<SystemCalls> m_ownCalls; // when none were given
    SystemCalls& m_calls;
    std::string m_path;
    std::vector<std::string> m_owed;
    bool m_following = false;        // a game is followed; the fields below are its
    bool m_ended = false;            // it had ended when last followed
    std::size_t m_plies = 0;         // its moves when last followed
    bool m_endedAndUnplayed = false; // it ended, and no move has been played since
    bool m_secondHuman = false;      // side 2 is a second person
    std::string m_date;              // the day it began
};
