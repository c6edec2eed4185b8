#include "puzzlebook.h"

#include "atomicfile.h"
#include "puzzleprogress.h"
#include "ruleset.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <limits>
#include <memory>
#include <new>

namespace
{

constexpr char EXTENSION[] = ".pdn";
constexpr std::size_t ANY_SIZE = std::numeric_limits<std::size_t>::max();

bool isPdn(const std::string& name)
{
    const std::size_t length = sizeof EXTENSION - 1;
    return name.size() > length && name.compare(name.size() - length, length, EXTENSION) == 0;
}

// The PDN files of a folder by name, at most `most` of them; empty when it cannot be read.
std::vector<std::string> pdnFiles(const std::string& folder, std::size_t most)
{
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (isPdn(name) && name[0] != '.')
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > most)
        names.resize(most);
    return names;
}

} // namespace

PuzzleBook::PuzzleBook(int rulesCode) : m_rules(rulesCode) {}

std::string PuzzleBook::shippedName(int rulesCode)
{
    return rulesCode == ruleset::RUSSIAN ? "russian.pdn" : "english.pdn";
}

std::vector<std::string> PuzzleBook::load(const std::string& folder)
{
    m_entries.clear();
    m_folder = folder;
    std::vector<std::string> problems;
    const std::string shipped = shippedName(m_rules);
    readFile(folder, shipped, problems);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry& a, const Entry& b) { return a.difficulty < b.difficulty; });
    const std::string other =
        shippedName(m_rules == ruleset::RUSSIAN ? ruleset::ENGLISH : ruleset::RUSSIAN);
    for (const std::string& name : pdnFiles(folder, MAX_FILES)) {
        if (name != shipped && name != other)
            readFile(folder, name, problems);
    }
    return problems;
}

void PuzzleBook::readFile(const std::string& folder, const std::string& name,
                          std::vector<std::string>& problems)
{
    if (m_entries.size() >= MAX_PUZZLES)
        return;
    const std::string path = folder + '/' + name;
    std::ifstream in;
    std::string why;
    const atomicfile::ReadStatus status = atomicfile::open(path, in, ANY_SIZE, &why);
    if (status != atomicfile::ReadStatus::OK) {
        if (status == atomicfile::ReadStatus::UNREADABLE)
            problems.push_back(why.empty() ? path + ": unreadable" : why);
        return;
    }
    int number = 0;
    const auto each = [&](const Pdn::Game& game) {
        ++number;
        if (game.record.rules() != m_rules)
            return true;
        std::string reason;
        std::optional<Puzzle> puzzle = Puzzle::fromGame(game, &reason);
        if (!puzzle)
            problems.push_back(path + ": game " + std::to_string(number) + ": " + reason);
        else
            m_entries.push_back(Entry{name, number, puzzle->fen(), puzzle->difficulty()});
        return m_entries.size() < MAX_PUZZLES;
    };
    const auto torn = [&](const Pdn::Error& cut) {
        ++number;
        problems.push_back(path + ": " + cut.describe());
        return true;
    };
    try {
        if (const std::optional<Pdn::Error> error = Pdn::read(in, Puzzle::fenColour, each, torn))
            problems.push_back(path + ": " + error->describe());
    } catch (const std::bad_alloc&) {
        problems.push_back(path + ": not enough memory to read game " + std::to_string(number + 1));
    }
}

std::string PuzzleBook::key(std::size_t index) const
{
    return PuzzleProgress::key(m_rules, m_entries[index].fen);
}

std::optional<Puzzle> PuzzleBook::puzzle(std::size_t index, std::string* why) const
{
    const auto fail = [why](const std::string& reason) -> std::optional<Puzzle> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (index >= m_entries.size())
        return fail("no such puzzle");
    const Entry& entry = m_entries[index];
    const std::string path = m_folder + '/' + entry.file;
    std::ifstream in;
    std::string reason;
    if (atomicfile::open(path, in, ANY_SIZE, &reason) != atomicfile::ReadStatus::OK)
        return fail(reason.empty() ? path + ": unreadable" : reason);
    int number = 0;
    std::optional<Puzzle> found;
    try {
        Pdn::read(
            in, Puzzle::fenColour,
            [&](const Pdn::Game& game) {
                if (++number < entry.number)
                    return true;
                found = Puzzle::fromGame(game, &reason);
                return false;
            },
            [&number](const Pdn::Error&) {
                ++number;
                return true;
            });
    } catch (const std::bad_alloc&) {
        return fail(path + ": not enough memory to read game " + std::to_string(entry.number));
    }
    if (!found || found->fen() != entry.fen)
        return fail(path + ": game " + std::to_string(entry.number) + " has changed");
    return found;
}

std::optional<std::size_t> PuzzleBook::next(const PuzzleProgress& progress, std::size_t from) const
{
    const std::size_t size = m_entries.size();
    std::optional<std::size_t> skipped;
    for (std::size_t n = 0; n < size; ++n) {
        const std::size_t index = (from + n) % size;
        const PuzzleProgress::State state = progress.state(key(index));
        if (state == PuzzleProgress::State::OPEN)
            return index;
        if (state == PuzzleProgress::State::SKIPPED && !skipped)
            skipped = index;
    }
    return skipped;
}
