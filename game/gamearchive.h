#pragma once

#include "gamerecord.h"

#include <cstddef>
#include <string>

// Every game played, added to a PDN file (games.pdn beside the game) that only ever grows: a game
// when it ends, each ending once (a game taken back and ended again has been played again; one
// redone to its end has not), and
// a game left unfinished for another after a person has moved in it, with the result "*" (but
// not an ended game taken back with nothing played since: that one is there already). A game is
// written as the kept game's file writes it, in one write made durable before the call returns,
// so that a power loss can lose at most the game being added. The game in progress is never
// added (closing the program keeps it for the next start, not here), and a failure here leaves
// it as it is.
class GameArchive
{
public:
    static constexpr char FILE_NAME[] = "games.pdn";

    explicit GameArchive(std::string path);

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

    // The last addition failed (said in one line on standard error); stays so until one succeeds.
    bool failed() const { return m_failed; }

private:
    // A move in the record was a person's: any in a game of two people, else one of side 1
    // (the computer's opening move, made by the new game itself, is nobody's doing).
    bool personMoved(const GameRecord& record) const;
    void add(const GameRecord& record);

    std::string m_path;
    bool m_following = false;        // a game is followed; the fields below are its
    bool m_ended = false;            // it had ended when last followed
    std::size_t m_plies = 0;         // its moves when last followed
    bool m_endedAndUnplayed = false; // it ended, and no move has been played since
    bool m_secondHuman = false;      // side 2 is a second person
    std::string m_date;              // the day it began
    bool m_failed = false;
};
