#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

class SystemCalls;

// Which puzzles a person has solved or skipped, kept in a small text file beside the game
// ("puzzles.progress"): a first line naming the format, then one puzzle a line, "solved" or
// "skipped", the rule set's code and the puzzle's FEN. Written atomically; read defensively: a
// file that is not one of ours is set aside (".bad", ".bad.1", ...) and reported, never lost.
class PuzzleProgress
{
public:
    enum class State { OPEN, SOLVED, SKIPPED };
    static constexpr char HEADER[] = "checkers puzzle progress 1";
    // More than this is no progress file of ours.
    static constexpr std::size_t MAX_FILE_BYTES = 1 << 20;

    explicit PuzzleProgress(std::string path);

    const std::string& path() const { return m_path; }
    // Reads the file: a missing one is no progress. A bad one is set aside and the reason,
    // with the name it now has, returned for the person to be told; the progress is then empty.
    std::optional<std::string> load();
    std::optional<std::string> load(SystemCalls& calls);

    // key: the rule set's code and the puzzle's FEN (see key()).
    State state(const std::string& key) const;
    // Solved stays solved: a puzzle solved and later skipped is still solved.
    void mark(const std::string& key, State state);
    std::size_t count(State state) const;

    // Writes the file atomically; false, with the reason in *error, leaves the old file as it
    // was and the progress in memory as it is, so that the next save can succeed.
    bool save(std::string* error = nullptr) const;
    bool save(std::string* error, SystemCalls& calls) const;

    static std::string key(int rulesCode, const std::string& fen);

private:
    std::string m_path;
    std::map<std::string, State> m_states;
};
