#include "savedgame.h"

#include "pdn.h"

#include "atomicfile.h"

#include <cstdio>
#include <ctime>
#include <iostream>
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

std::string tagOf(const std::map<std::string, std::string>& tags, const char* name)
{
    const auto it = tags.find(name);
    return it == tags.end() ? std::string() : it->second;
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
    std::string text;
    std::string error;
    switch (atomicfile::read(m_path, text, MAX_FILE_BYTES, &error)) {
    case atomicfile::ReadStatus::MISSING:
        return std::nullopt;
    case atomicfile::ReadStatus::UNREADABLE:
        setAside(error);
        return std::nullopt;
    case atomicfile::ReadStatus::OK:
        break;
    }

    // The colours decide how the record is turned to the screen, and the tags decide the
    // colours: a first reading finds the tags, a second one turns the game the right way.
    Pdn::ReadResult read = Pdn::read(text, Colour::White);
    if (read.error) {
        setAside(read.error->describe());
        return std::nullopt;
    }
    if (read.games.size() != 1) {
        setAside(read.games.empty() ? "no game in it" : "more than one game in it");
        return std::nullopt;
    }
    const std::map<std::string, std::string> tags = read.games.front().tags;
    if (read.games.front().record.rules() != rulesCode)
        return std::nullopt;
    if (read.games.front().record.over() || tagOf(tags, RESULT_TAG) != UNFINISHED)
        return std::nullopt;

    const std::string white = tagOf(tags, WHITE_TAG);
    const std::string black = tagOf(tags, BLACK_TAG);
    std::optional<Colour> side1;
    std::string opponent;
    if (white == PERSON) {
        side1 = Colour::White;
        opponent = black;
    } else if (black == PERSON) {
        side1 = Colour::Black;
        opponent = white;
    }
    if (!side1 || (opponent != COMPUTER && opponent != SECOND_PERSON)) {
        setAside("the players \"" + white + "\" and \"" + black + "\" are not this game's");
        return std::nullopt;
    }
    if (*side1 != Colour::White) {
        read = Pdn::read(text, *side1);
        if (read.error || read.games.size() != 1) {
            setAside(read.error ? read.error->describe() : "the game reads differently");
            return std::nullopt;
        }
    }
    return Game{std::move(read.games.front().record), opponent == SECOND_PERSON,
                tagOf(tags, DATE_TAG)};
}

bool SavedGame::save(const GameRecord& record, bool secondHuman, const std::string& date) const
{
    Pdn::Tags tags;
    tags.date = date;
    tags.white = playerName(record.sideOf(Colour::White), secondHuman);
    tags.black = playerName(record.sideOf(Colour::Black), secondHuman);
    std::string error;
    if (atomicfile::write(m_path, Pdn::write(record, tags), &error))
        return true;
    std::cerr << "checkers: the game could not be kept in " << m_path << ": " << error << '\n';
    return false;
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

void SavedGame::setAside(const std::string& why) const
{
    std::string error;
    if (atomicfile::setAside(m_path, &error))
        std::cerr << "checkers: " << m_path << " is unreadable (" << why << "); kept as " << m_path
                  << ".bad, a new game starts\n";
    else
        std::cerr << "checkers: " << m_path << " is unreadable (" << why
                  << ") and could not be set aside: " << error << '\n';
}
