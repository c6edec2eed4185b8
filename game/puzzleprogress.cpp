#include "puzzleprogress.h"

#include "atomicfile.h"
#include "systemcalls.h"

#include <fstream>
#include <sstream>

namespace
{

constexpr char SOLVED[] = "solved";
constexpr char SKIPPED[] = "skipped";

} // namespace

PuzzleProgress::PuzzleProgress(std::string path) : m_path(std::move(path)) {}

std::string PuzzleProgress::key(int rulesCode, const std::string& fen)
{
    return std::to_string(rulesCode) + ' ' + fen;
}

std::optional<std::string> PuzzleProgress::load()
{
    SystemCalls calls;
    return load(calls);
}

std::optional<std::string> PuzzleProgress::load(SystemCalls& calls)
{
    m_states.clear();
    std::ifstream in;
    std::string why;
    const atomicfile::ReadStatus status = atomicfile::open(m_path, in, MAX_FILE_BYTES, &why);
    if (status == atomicfile::ReadStatus::MISSING)
        return std::nullopt;
    std::map<std::string, State> read;
    if (status == atomicfile::ReadStatus::OK) {
        std::string line;
        int number = 0;
        while (why.empty() && std::getline(in, line)) {
            ++number;
            if (number == 1) {
                if (line != HEADER)
                    why = "not a puzzle progress file";
                continue;
            }
            std::istringstream words(line);
            std::string state;
            std::string code;
            std::string fen;
            words >> state >> code >> fen;
            std::string rest;
            if ((state != SOLVED && state != SKIPPED) || (code != "21" && code != "25") ||
                fen.empty() || (words >> rest))
                why = "line " + std::to_string(number) + " is not a puzzle's progress";
            else
                read[key(std::stoi(code), fen)] = state == SOLVED ? State::SOLVED : State::SKIPPED;
        }
        if (why.empty() && (in.bad() || number == 0))
            why = number == 0 ? "the file is empty" : "the file could not be read";
    }
    if (why.empty()) {
        m_states = std::move(read);
        return std::nullopt;
    }
    in.close();
    std::string failure;
    const std::optional<std::string> aside = atomicfile::setAside(m_path, &failure, calls);
    if (!aside)
        return m_path + ": " + why + "; it could not be set aside: " + failure;
    return m_path + ": " + why + "; set aside as " + *aside;
}

PuzzleProgress::State PuzzleProgress::state(const std::string& key) const
{
    const auto found = m_states.find(key);
    return found == m_states.end() ? State::OPEN : found->second;
}

void PuzzleProgress::mark(const std::string& key, State state)
{
    if (state == State::OPEN)
        m_states.erase(key);
    else if (state == State::SOLVED || this->state(key) != State::SOLVED)
        m_states[key] = state;
}

std::size_t PuzzleProgress::count(State state) const
{
    std::size_t n = 0;
    for (const auto& entry : m_states)
        n += entry.second == state;
    return n;
}

bool PuzzleProgress::save(std::string* error) const
{
    SystemCalls calls;
    return save(error, calls);
}

bool PuzzleProgress::save(std::string* error, SystemCalls& calls) const
{
    std::string text = std::string(HEADER) + '\n';
    for (const auto& [key, state] : m_states)
        text += std::string(state == State::SOLVED ? SOLVED : SKIPPED) + ' ' + key + '\n';
    return atomicfile::write(m_path, text, error, calls);
}
