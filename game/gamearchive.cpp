#include "gamearchive.h"

#include "atomicfile.h"
#include "savedgame.h"

#include <algorithm>
#include <iostream>
#include <new>
#include <utility>
#include <vector>

GameArchive::GameArchive(std::string path) : m_path(std::move(path)) {}

std::string GameArchive::besideFile(const std::string& file)
{
    const std::string::size_type slash = file.rfind('/');
    if (slash == std::string::npos)
        return FILE_NAME;
    return file.substr(0, slash + 1) + FILE_NAME;
}

void GameArchive::follow(const GameRecord& record, bool secondHuman, const std::string& date)
{
    const bool seenBefore = m_following;
    const std::size_t plies = record.moves().size();
    if (record.over())
        m_endedAndUnplayed = true;
    else if (plies > m_plies)
        m_endedAndUnplayed = false;
    m_following = true;
    m_secondHuman = secondHuman;
    m_date = date;
    m_plies = plies;
    // A redo replays an ending that was reached, and added, before.
    const bool endedNow = record.over() && !m_ended && !record.lastMoveRedone();
    m_ended = record.over();
    if (seenBefore && endedNow)
        add(record);
}

void GameArchive::leave(const GameRecord& record)
{
    const bool abandoned =
        m_following && !record.over() && !m_endedAndUnplayed && personMoved(record);
    m_following = false;
    m_ended = false;
    m_endedAndUnplayed = false;
    if (abandoned)
        add(record);
}

bool GameArchive::personMoved(const GameRecord& record) const
{
    const std::vector<GameMove>& moves = record.moves();
    if (m_secondHuman)
        return !moves.empty();
    return std::any_of(moves.begin(), moves.end(),
                       [](const GameMove& move) { return move.side == 1; });
}

void GameArchive::add(const GameRecord& record)
{
    std::string error;
    try {
        m_failed =
            !atomicfile::append(m_path, SavedGame::text(record, m_secondHuman, m_date), &error);
    } catch (const std::bad_alloc&) {
        m_failed = true;
        error = "out of memory"; // short enough to need no memory of its own
    }
    if (m_failed)
        std::cerr << "checkers: the game could not be added to " << m_path << ": " << error << '\n';
}
