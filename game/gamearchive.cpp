#include "gamearchive.h"

#include "atomicfile.h"
#include "savedgame.h"
#include "systemcalls.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <new>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace
{

constexpr std::size_t COMPARE_CHUNK = 4096; // bytes of the archive's end held at once

} // namespace

GameArchive::GameArchive(std::string path)
    : m_ownCalls(std::make_unique<SystemCalls>()), m_calls(*m_ownCalls), m_path(std::move(path))
{
}

GameArchive::GameArchive(std::string path, SystemCalls& calls)
    : m_calls(calls), m_path(std::move(path))
{
}

GameArchive::~GameArchive()
{
    // The last chance for games still owed; nothing may escape a destructor.
    try {
        if (!m_owed.empty())
            addOwed();
    } catch (...) {
    }
}

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
    else if (!m_owed.empty())
        addOwed();
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
    else if (!m_owed.empty())
        addOwed();
}

bool GameArchive::addUnlessLast(const std::string& text)
{
    if (endsWith(text))
        return true;
    std::string error;
    try {
        if (atomicfile::append(m_path, text, &error, m_calls))
            return true;
    } catch (const std::bad_alloc&) {
        error = "out of memory"; // short enough to need no memory of its own
    }
    std::cerr << "checkers: a finished game could not be added to " << m_path << ": " << error
              << '\n';
    return false;
}

bool GameArchive::endsWith(const std::string& text) const
{
    // Only a regular file is opened: a pipe in its place would wait for a writer for ever.
    struct stat info {
    };
    if (::stat(m_path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    std::ifstream in(m_path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    const auto length = static_cast<std::streamoff>(text.size());
    if (size < length || !in.seekg(size - length))
        return false;
    char chunk[COMPARE_CHUNK];
    for (std::size_t done = 0; done < text.size();) {
        const std::size_t part = std::min(sizeof chunk, text.size() - done);
        if (!in.read(chunk, static_cast<std::streamsize>(part)) ||
            text.compare(done, part, chunk, part) != 0)
            return false;
        done += part;
    }
    return true;
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
    try {
        if (m_owed.size() == MAX_OWED) {
            std::cerr << "checkers: " << MAX_OWED
                      << " games could not be added to the archive; the oldest is given up\n";
            m_owed.erase(m_owed.begin());
        }
        m_owed.push_back(SavedGame::text(record, m_secondHuman, m_date));
    } catch (const std::bad_alloc&) {
        std::cerr << "checkers: out of memory: a game could not be added to the archive\n";
        return;
    }
    addOwed();
}

void GameArchive::addOwed()
{
    // One game an append, oldest first: a failure part way through a game leaves the games
    // before it added, and only that one to be written again.
    std::string error;
    try {
        while (!m_owed.empty()) {
            if (!atomicfile::append(m_path, m_owed.front(), &error, m_calls))
                break;
            m_owed.erase(m_owed.begin());
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory"; // short enough to need no memory of its own
    }
    if (!m_owed.empty())
        std::cerr << "checkers: the game could not be added to " << m_path << ": " << error << '\n';
}
