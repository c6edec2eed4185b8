#include "savedgame.h"

#include "pdn.h"

#include "atomicfile.h"
#include "gamearchive.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <utility>

namespace
{

const char WHITE_TAG[] = "White";
const char BLACK_TAG[] = "Black";
const char DATE_TAG[] = "Date";
const char RESULT_TAG[] = "Result";
const char UNFINISHED[] = "*";
constexpr int DATE_BUFFER_SIZE = 40; // room for any year the clock gives
constexpr int YEAR_ZERO = 1900;      // struct tm counts years from 1900
constexpr int FIRST_MONTH = 1;       // and months from 0

std::string tagOf(const Pdn::TagValues& tags, const char* name)
{
    const auto it = tags.find(name);
    return it == tags.end() ? std::string() : it->second;
}

// Side 1 is the person at the keys: White unless only the Black tag names the person.
Colour side1Colour(const Pdn::TagValues& tags)
{
    const bool personBlack =
        tagOf(tags, WHITE_TAG) != SavedGame::PERSON && tagOf(tags, BLACK_TAG) == SavedGame::PERSON;
    return personBlack ? Colour::Black : Colour::White;
}

// The name a colour's tag holds for the player of `side`.
const char* playerName(int side, bool secondHuman)
{
    if (side == 1)
        return SavedGame::PERSON;
    return secondHuman ? SavedGame::SECOND_PERSON : SavedGame::COMPUTER;
}

} // namespace

SavedGame::SavedGame(std::string path) : m_path(std::move(path)) {}

std::optional<SavedGame::Game> SavedGame::load(int rulesCode) const
{
    try {
        return read(rulesCode);
    } catch (const std::bad_alloc&) {
        // Left here, the reading has given back what it held.
    }
    setAside("not enough memory to read it");
    return std::nullopt;
}

std::optional<SavedGame::Game> SavedGame::read(int rulesCode) const
{
    atomicfile::removeLeftovers(m_path);
    std::ifstream in;
    std::string error;
    switch (atomicfile::open(m_path, in, MAX_FILE_BYTES, &error)) {
    case atomicfile::ReadStatus::MISSING:
        return std::nullopt;
    case atomicfile::ReadStatus::UNREADABLE:
        setAside(error);
        return std::nullopt;
    case atomicfile::ReadStatus::OK:
        break;
    }

    // The reading stops at a second game: one is all a kept game may hold.
    std::optional<Pdn::Game> first;
    bool second = false;
    const std::optional<Pdn::Error> readError =
        Pdn::read(in, side1Colour, [&first, &second](Pdn::Game& game) {
            second = first.has_value();
            if (!second)
                first.emplace(std::move(game));
            return !second;
        });
    in.close();
    if (second || readError) {
        setAside(second ? "more than one game in it" : readError->describe());
        return std::nullopt;
    }
    const Pdn::TagValues& tags = first->tags;
    if (first->record.over() || tagOf(tags, RESULT_TAG) != UNFINISHED) {
        archiveFinished();
        return std::nullopt;
    }
    if (first->record.rules() != rulesCode)
        return std::nullopt;

    const std::string white = tagOf(tags, WHITE_TAG);
    const std::string black = tagOf(tags, BLACK_TAG);
    const Colour side1 = side1Colour(tags);
    const std::string opponent = side1 == Colour::White ? black : white;
    if ((side1 == Colour::White ? white : black) != PERSON ||
        (opponent != COMPUTER && opponent != SECOND_PERSON)) {
        setAside("the players \"" + white + "\" and \"" + black + "\" are not this game's");
        return std::nullopt;
    }
    return Game{std::move(first->record), opponent == SECOND_PERSON, tagOf(tags, DATE_TAG)};
}

bool SavedGame::save(const GameRecord& record, bool secondHuman, const std::string& date) const
{
    std::string error;
    try {
        if (atomicfile::write(m_path, text(record, secondHuman, date), &error))
            return true;
    } catch (const std::bad_alloc&) {
        error = "out of memory"; // short enough to need no memory of its own
    }
    std::cerr << "checkers: the game could not be kept in " << m_path << ": " << error << '\n';
    return false;
}

std::string SavedGame::text(const GameRecord& record, bool secondHuman, const std::string& date)
{
    Pdn::Tags tags;
    tags.date = date;
    tags.white = playerName(record.sideOf(Colour::White), secondHuman);
    tags.black = playerName(record.sideOf(Colour::Black), secondHuman);
    return Pdn::write(record, tags);
}

std::string SavedGame::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[DATE_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d", local.tm_year + YEAR_ZERO,
                  local.tm_mon + FIRST_MONTH, local.tm_mday);
    return text;
}

void SavedGame::archiveFinished() const
{
    // The file was read whole a moment ago, within MAX_FILE_BYTES.
    std::ifstream in(m_path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad() || text.empty())
        return;
    if (GameArchive(GameArchive::besideFile(m_path)).addUnlessLast(text))
        return;
    std::string error;
    if (const std::optional<std::string> keptAs = atomicfile::setAside(m_path, &error))
        std::cerr << "checkers: the finished game in " << m_path << " could not be added to "
                  << GameArchive::FILE_NAME << "; it is kept as " << *keptAs << '\n';
    else
        std::cerr << "checkers: the finished game in " << m_path
                  << " could not be set aside and will be replaced: " << error << '\n';
}

void SavedGame::setAside(const std::string& why) const
{
    std::string error;
    if (const std::optional<std::string> keptAs = atomicfile::setAside(m_path, &error))
        std::cerr << "checkers: " << m_path << " is unreadable (" << why << "); kept as " << *keptAs
                  << ", a new game starts\n";
    else
        std::cerr << "checkers: " << m_path << " is unreadable (" << why
                  << ") and could not be set aside: " << error << '\n';
}
