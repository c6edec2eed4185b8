#include "gamelist.h"

#include "atomicfile.h"
#include "ruleset.h"
#include "savedgame.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <streambuf>

namespace
{

constexpr std::size_t ANY_SIZE = std::numeric_limits<std::size_t>::max();
constexpr char PDN_SUFFIX[] = ".pdn";
constexpr int END = std::char_traits<char>::eof();

constexpr const char* TEXT_ENDS = "the game is cut short: the text ends before its result";
constexpr const char* NEXT_GAME = "the game is cut short: the next game begins before its result";
constexpr const char* NO_GAME_TYPE = "no GameType tag: it must be 21 (English) or 25 (Russian)";
constexpr const char* BAD_GAME_TYPE = "GameType must be 21 (English) or 25 (Russian)";
constexpr const char* BAD_TAG = "a tag is not [Name \"value\"]";
constexpr const char* RESULT_TOKENS[] = {"1-0", "0-1", "1/2-1/2", "*", "2-0", "0-2", "1-1"};

bool isSpace(int c)
{
    return c != END && std::isspace(static_cast<unsigned char>(c));
}

bool endsWord(int c)
{
    return c == END || isSpace(c) || (c > 0 && std::strchr("{([;})]", c) != nullptr);
}

bool isResultToken(const std::string& word)
{
    return std::any_of(std::begin(RESULT_TOKENS), std::end(RESULT_TOKENS),
                       [&word](const char* token) { return word == token; });
}

// The rule set a GameType value names, as the PDN reader takes it: its number before any comma.
int rulesOf(const std::string& gameType)
{
    const std::string digits = gameType.substr(0, gameType.find(','));
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int rules = std::stoi(digits);
    return ruleset::known(rules) ? rules : 0;
}

// A word that only numbers the moves ("12.", "12...") or annotates them ("$3") is no ply.
bool isPly(const std::string& word)
{
    if (word[0] == '$' && word.size() > 1)
        return false;
    const auto digits = word.find_first_not_of("0123456789");
    if (digits != std::string::npos && digits > 0 && word[digits] == '.')
        return word.find_first_not_of('.', digits) != std::string::npos;
    return true;
}

// One pass over PDN text that splits it into games as the PDN reader does (a game ends at its
// result token; a tag at the start of a line after the moves, or one that repeats a tag of the
// game, begins the next one) and keeps only the fields of a list row. Every step takes at least
// one character; what it holds is bounded by a game's tag names and MAX_FIELD per field.
class Scanner
{
public:
    using Sink = std::function<void(GameList::Entry&&)>;

    Scanner(std::istream& in, std::size_t file, const Sink& sink)
        : m_buffer(in.rdbuf()), m_file(file), m_sink(sink)
    {
    }

    void run()
    {
        static constexpr unsigned char BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};
        for (const unsigned char byte : BYTE_ORDER_MARK) {
            if (peek() != byte)
                break;
            get();
        }
        while (skipSpace()) {
            const int c = peek();
            if (c == '{' || c == '(') {
                if (!skipBlock() && m_inGame)
                    finish(TEXT_ENDS);
                continue;
            }
            if (c == '[') {
                tag();
                continue;
            }
            word();
        }
        if (m_inGame)
            finish(TEXT_ENDS);
    }

private:
    int peek() const { return m_buffer ? m_buffer->sgetc() : END; }
    int get()
    {
        const int c = m_buffer ? m_buffer->sbumpc() : END;
        if (c != END) {
            ++m_offset;
            m_lineStart = c == '\n';
        }
        return c;
    }

    void skipLine()
    {
        for (int c = get(); c != END && c != '\n'; c = get()) {
        }
    }

    bool skipSpace()
    {
        while (true) {
            const int c = peek();
            if (c == END)
                return false;
            if (isSpace(c))
                get();
            else if (c == ';' || (c == '%' && m_lineStart))
                skipLine();
            else
                return true;
        }
    }

    // A comment, or a variation with comments of its own; false when the text ends inside it.
    bool skipBlock()
    {
        const int open = get();
        const int close = open == '{' ? '}' : ')';
        std::size_t depth = 1;
        for (int c = get(); c != END; c = get()) {
            if (c == open) {
                ++depth;
            } else if (c == close) {
                if (--depth == 0)
                    return true;
            } else if (open == '(' && c == '{') {
                for (c = get(); c != '}'; c = get()) {
                    if (c == END)
                        return false;
                }
            }
        }
        return false;
    }

    void begin()
    {
        m_inGame = true;
        m_inMoves = false;
        m_tagNames.clear();
        m_entry = GameList::Entry{};
        m_entry.file = m_file;
        m_entry.offset = m_offset;
    }

    void finish(const char* problem)
    {
        if (!m_entry.problem.empty()) {
            // A fault found on the way stands.
        } else if (problem) {
            m_entry.problem = problem;
        } else if (!seen("GameType")) {
            m_entry.problem = NO_GAME_TYPE;
        } else if (m_entry.rules == 0) {
            m_entry.problem = BAD_GAME_TYPE;
        }
        if (problem)
            m_entry.result.clear();
        m_sink(std::move(m_entry));
        m_inGame = false;
    }

    void tag()
    {
        const bool atLineStart = m_lineStart;
        const std::uint64_t start = m_offset;
        get(); // '['
        std::string name;
        while ((std::isalnum(peek()) || peek() == '_') && name.size() < Pdn::MAX_WORD)
            name += static_cast<char>(get());
        if (m_inGame && atLineStart && (m_inMoves || seen(name)))
            finish(NEXT_GAME);
        if (!m_inGame) {
            begin();
            m_entry.offset = start;
        }
        const bool repeated = seen(name);
        if (m_inMoves) {
            // A tag in the middle of a line of moves: the reader refuses the game.
            if (m_entry.problem.empty())
                m_entry.problem = "the moves before a tag have no result";
        }
        while (peek() == ' ' || peek() == '\t')
            get();
        if (name.empty() || peek() != '"') {
            if (m_entry.problem.empty())
                m_entry.problem = BAD_TAG;
            skipLine();
            return;
        }
        get();
        std::string value;
        int c = get();
        for (; c != END && c != '\n' && c != '"'; c = get()) {
            if (c == '\\' && peek() != END && peek() != '\n')
                c = get();
            if (value.size() < GameList::MAX_FIELD)
                value += static_cast<char>(c);
        }
        if (c != '"') {
            if (m_entry.problem.empty())
                m_entry.problem = "the tag is not closed";
            return;
        }
        while (peek() == ' ' || peek() == '\t')
            get();
        if (peek() == ']')
            get();
        else if (m_entry.problem.empty())
            m_entry.problem = "the tag is not closed";
        if (m_tagNames.size() < Pdn::MAX_TAGS && !repeated)
            m_tagNames.push_back(name);
        store(name, std::move(value));
    }

    // A tag of this name has been read in the game.
    bool seen(const std::string& name) const
    {
        return std::find(m_tagNames.begin(), m_tagNames.end(), name) != m_tagNames.end();
    }

    void store(const std::string& name, std::string value)
    {
        if (name == "Date")
            m_entry.date = std::move(value);
        else if (name == "White")
            m_entry.white = std::move(value);
        else if (name == "Black")
            m_entry.black = std::move(value);
        else if (name == "Result")
            m_entry.result = std::move(value);
        else if (name == "GameType")
            m_entry.rules = rulesOf(value);
    }

    void word()
    {
        if (!m_inGame)
            begin();
        m_inMoves = true;
        std::string text(1, static_cast<char>(get()));
        while (!endsWord(peek())) {
            const int c = get();
            if (text.size() < Pdn::MAX_WORD)
                text += static_cast<char>(c);
        }
        if (isResultToken(text)) {
            m_entry.result = text;
            finish(nullptr);
        } else if (isPly(text) && m_entry.plies < std::numeric_limits<int>::max()) {
            ++m_entry.plies;
        }
    }

    std::streambuf* m_buffer;
    std::size_t m_file;
    const Sink& m_sink;
    std::uint64_t m_offset = 0;
    bool m_lineStart = true;
    bool m_inGame = false;
    bool m_inMoves = false;
    std::vector<std::string> m_tagNames; // of the game being read
    GameList::Entry m_entry;
};

// The *.pdn files directly in a folder, by name; empty when it cannot be read.
std::vector<std::string> pdnFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
    if (!dir)
        return names;
    const std::size_t suffix = std::strlen(PDN_SUFFIX);
    while (const dirent* item = readdir(dir.get())) {
        const std::string name = item->d_name;
        if (name.size() > suffix && name.compare(name.size() - suffix, suffix, PDN_SUFFIX) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Where a replay failed, without the line (counted from the game's own start, it would mislead).
std::string problemOf(const Pdn::Error& error)
{
    std::string text;
    if (error.moveNumber > 0)
        text = "move " + std::to_string(error.moveNumber);
    if (!error.moveText.empty())
        text += (text.empty() ? "\"" : " \"") + error.moveText + '"';
    return text.empty() ? error.reason : text + ": " + error.reason;
}

} // namespace

GameList GameList::build(const std::string& archive, const std::string& folder)
{
    GameList list;
    list.addFile(archive, true);
    if (!folder.empty())
        list.addFolder(folder);
    return list;
}

void GameList::addFile(const std::string& path, bool newestFirst)
{
    std::ifstream in;
    std::string why;
    switch (atomicfile::open(path, in, ANY_SIZE, &why)) {
    case atomicfile::ReadStatus::OK:
        addStream(in, path, newestFirst);
        return;
    case atomicfile::ReadStatus::MISSING:
        return;
    case atomicfile::ReadStatus::UNREADABLE:
        m_problems.push_back(path + ": " + (why.empty() ? "cannot be read" : why));
        return;
    }
}

void GameList::addFolder(const std::string& folder)
{
    for (const std::string& name : pdnFiles(folder))
        addFile(folder + '/' + name, false);
}

void GameList::addStream(std::istream& in, const std::string& name, bool newestFirst)
{
    const std::size_t first = m_rows.size();
    m_files.push_back(name);
    Scanner(in, m_files.size() - 1, [this](GameList::Entry&& entry) {
        add(std::move(entry));
    }).run();
    if (in.bad())
        m_problems.push_back(name + ": a read failed; the games before it are listed");
    if (newestFirst)
        std::reverse(m_rows.begin() + static_cast<std::ptrdiff_t>(first), m_rows.end());
}

std::uint32_t GameList::textIndex(const std::string& text)
{
    if (m_texts.empty()) {
        m_texts.emplace_back();
        m_textIndex.emplace(std::string(), 0);
    }
    const auto found = m_textIndex.find(text);
    if (found != m_textIndex.end())
        return found->second;
    const auto index = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(text);
    m_textIndex.emplace(text, index);
    return index;
}

void GameList::add(Entry&& entry)
{
    Row row;
    row.offset = entry.offset;
    row.file = static_cast<std::uint32_t>(entry.file);
    row.date = textIndex(entry.date);
    row.white = textIndex(entry.white);
    row.black = textIndex(entry.black);
    row.result = textIndex(entry.result);
    row.problem = textIndex(entry.problem);
    row.plies = entry.plies;
    row.rules = static_cast<std::uint8_t>(entry.rules);
    m_rows.push_back(row);
}

GameList::Entry GameList::entry(std::size_t index) const
{
    const Row& row = m_rows.at(index);
    Entry entry;
    entry.file = row.file;
    entry.offset = row.offset;
    entry.date = m_texts[row.date];
    entry.white = m_texts[row.white];
    entry.black = m_texts[row.black];
    entry.rules = row.rules;
    entry.result = m_texts[row.result];
    entry.plies = row.plies;
    entry.checked = row.checked;
    entry.problem = m_texts[row.problem];
    return entry;
}

GameList::Opened GameList::open(std::size_t index)
{
    Row& row = m_rows.at(index);
    Opened opened;
    std::ifstream in;
    std::string why;
    if (atomicfile::open(m_files[row.file], in, ANY_SIZE, &why) != atomicfile::ReadStatus::OK) {
        // The file went away since the list was made: the entry stays as it was.
        opened.problem = why.empty() ? "the file cannot be read" : why;
        return opened;
    }
    opened = openStream(in, row.offset);
    row.checked = true;
    row.problem = textIndex(opened.problem);
    return opened;
}

bool GameList::check(std::size_t index)
{
    if (!m_rows.at(index).checked)
        open(index);
    return m_rows[index].problem == 0;
}

GameList::Opened GameList::openStream(std::istream& in, std::uint64_t offset)
{
    Opened opened;
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in) {
        opened.problem = "the file is shorter than the list says";
        return opened;
    }
    std::optional<Pdn::Error> error;
    try {
        error = Pdn::read(
            in,
            [](const Pdn::TagValues& tags) {
                const auto black = tags.find("Black");
                const auto white = tags.find("White");
                const bool personBlack =
                    black != tags.end() && black->second == SavedGame::PERSON &&
                    (white == tags.end() || white->second != SavedGame::PERSON);
                return personBlack ? Colour::Black : Colour::White;
            },
            [&opened](Pdn::Game& game) {
                opened.game = std::move(game);
                return false;
            },
            [&opened](const Pdn::Error& torn) {
                opened.problem = torn.reason;
                return false;
            });
    } catch (const std::bad_alloc&) {
        opened.problem = "not enough memory to read it";
        return opened;
    }
    if (error && !opened.game && opened.problem.empty())
        opened.problem = problemOf(*error);
    if (!opened.game && opened.problem.empty())
        opened.problem = "no game where the list says";
    return opened;
}
