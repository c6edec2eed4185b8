#include "pdn.h"

#include "ruleset.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <istream>
#include <limits>
#include <memory>
#include <sstream>
#include <streambuf>

namespace
{

constexpr std::size_t LINE_WIDTH = 79;
constexpr const char* SETUP_TAG = "SetUp";
constexpr const char* FEN_TAG = "FEN";
constexpr const char* GAME_TYPE_TAG = "GameType";
constexpr const char* UNKNOWN_DATE = "????.??.??";
// Result tokens as PDN writes them, and the forms draughts programs use for the same results.
constexpr const char* RESULT_TOKENS[] = {"1-0", "0-1", "1/2-1/2", "*", "2-0", "0-2", "1-1"};

std::string quoted(const std::string& value)
{
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + '"';
}

std::string tagLine(const std::string& name, const std::string& value)
{
    return '[' + name + ' ' + quoted(value) + "]\n";
}

// Adds words to the movetext, breaking lines before they grow too long.
class MoveText
{
public:
    void add(const std::string& word)
    {
        if (!m_line.empty() && m_line.size() + 1 + word.size() > LINE_WIDTH) {
            m_text += m_line + '\n';
            m_line.clear();
        }
        if (!m_line.empty())
            m_line += ' ';
        m_line += word;
    }
    std::string text() const { return m_text + m_line + '\n'; }

private:
    std::string m_text;
    std::string m_line;
};

// The move number of a ply: full moves, the first mover's move opening each.
int moveNumber(int plies, bool secondMoverStarts)
{
    return 1 + (plies + (secondMoverStarts ? 1 : 0)) / 2;
}

bool isResultToken(const std::string& word)
{
    for (const char* token : RESULT_TOKENS) {
        if (word == token)
            return true;
    }
    return false;
}

// The characters of a stream one at a time, with the number of the line they are on.
class Source
{
public:
    static constexpr int END = std::char_traits<char>::eof();

    explicit Source(std::istream& in) : m_buffer(in.rdbuf()) {}

    int peek() const { return m_buffer ? m_buffer->sgetc() : END; }
    int get()
    {
        const int c = m_buffer ? m_buffer->sbumpc() : END;
        if (c != END)
            m_lineStart = c == '\n';
        if (c == '\n' && m_line < std::numeric_limits<int>::max())
            ++m_line;
        return c;
    }
    int line() const { return m_line; }
    bool atLineStart() const { return m_lineStart; }

private:
    std::streambuf* m_buffer;
    int m_line = 1;
    bool m_lineStart = true;
};

bool isSpace(int c)
{
    return c != Source::END && std::isspace(static_cast<unsigned char>(c));
}

bool isOneOf(int c, const char* characters)
{
    return c > 0 && std::strchr(characters, c) != nullptr;
}

// Ends a movetext word: white space, or the start of a comment, variation, tag or line comment.
bool endsWord(int c)
{
    return c == Source::END || isSpace(c) || isOneOf(c, "{([;})]");
}

// Why a game's text stopped before its result.
constexpr const char* TEXT_ENDS = "the game is cut short: the text ends before its result";
constexpr const char* NEXT_GAME = "the game is cut short: the next game begins before its result";

// Splits PDN text into tags and movetext words and replays one game at a time. Every step takes
// at least one character, so no text can make it loop, and nothing it keeps grows with the text
// beyond one game's bounded tags and moves.
//
// When cut games are taken, a game whose text stops before its result is one: the text ends in
// it, or a line of it ends (perhaps in the middle of a tag or a word) and the next game's first
// tag begins a line. The next game starts at that tag. A tag begins the next game when it stands
// at the start of a line after the moves, or repeats one of this game's tags before them.
class Reader
{
public:
    Reader(std::istream& in, const Pdn::Side1Colour& side1, const Pdn::EachGame& each,
           const Pdn::EachTorn& torn)
        : m_source(in), m_side1(side1), m_each(each), m_torn(torn)
    {
    }

    std::optional<Pdn::Error> readAll()
    {
        if (!skipByteOrderMark())
            return m_error;
        while (true) {
            Game game;
            switch (readGame(game)) {
            case Outcome::ERROR:
                return m_error;
            case Outcome::NONE:
                if (m_gamesBegun == 0)
                    return Pdn::Error{m_source.line(), 0, 0, "", "no game in the text"};
                return std::nullopt;
            case Outcome::TORN:
                ++m_gamesBegun;
                if (!m_torn(m_error))
                    return std::nullopt;
                continue;
            case Outcome::GAME:
                break;
            }
            ++m_gamesBegun;
            Pdn::Game read{std::move(game.tags), std::move(*game.record)};
            if (!m_each(read))
                return std::nullopt;
        }
    }

private:
    enum class Outcome { GAME, NONE, ERROR, TORN };
    struct Game {
        Pdn::TagValues tags;
        std::map<std::string, int> tagLines;
        std::string firstTag; // the name of the tag that began it
        std::unique_ptr<GameRecord> record;
    };
    struct Tag {
        std::string name;
        std::string value;
        int line = 0;
        bool atLineStart = false; // its '[' begins a line
    };

    bool fail(int line, int move, const std::string& text, const std::string& reason)
    {
        m_error = Pdn::Error{line, m_gamesBegun + 1, move, text, reason};
        return false;
    }

    bool skipByteOrderMark()
    {
        static constexpr unsigned char MARK[] = {0xEF, 0xBB, 0xBF};
        if (m_source.peek() != MARK[0])
            return true;
        for (const unsigned char byte : MARK) {
            if (m_source.peek() != byte)
                return fail(1, 0, "", "the text begins with a broken byte-order mark");
            m_source.get();
        }
        return true;
    }

    void skipLine()
    {
        for (int c = m_source.get(); c != Source::END && c != '\n'; c = m_source.get()) {
        }
    }

    // Skips white space, line comments and escape lines; false at the end of the text.
    bool skipSpace()
    {
        while (true) {
            const int c = m_source.peek();
            if (c == Source::END)
                return false;
            if (isSpace(c))
                m_source.get();
            else if (c == ';' || (c == '%' && m_source.atLineStart()))
                skipLine();
            else
                return true;
        }
    }

    // A comment in braces, or a variation in parentheses with comments of its own; false when
    // the text ends inside it.
    bool skipBlock()
    {
        const int open = m_source.get();
        const int close = open == '{' ? '}' : ')';
        std::size_t depth = 1;
        for (int c = m_source.get(); c != Source::END; c = m_source.get()) {
            if (c == open) {
                ++depth;
            } else if (c == close) {
                if (--depth == 0)
                    return true;
            } else if (open == '(' && c == '{') {
                for (c = m_source.get(); c != '}'; c = m_source.get()) {
                    if (c == Source::END)
                        return false;
                }
            }
        }
        return false;
    }

    bool readTag(Tag& tag)
    {
        const int line = m_source.line();
        tag.line = line;
        tag.atLineStart = m_source.atLineStart();
        m_source.get(); // '['
        std::string& name = tag.name;
        while (std::isalnum(m_source.peek()) || m_source.peek() == '_') {
            if (name.size() == Pdn::MAX_WORD)
                return fail(line, 0, name, "the tag's name is too long");
            name += static_cast<char>(m_source.get());
        }
        while (m_source.peek() == ' ' || m_source.peek() == '\t')
            m_source.get();
        if (name.empty() || m_source.peek() != '"')
            return fail(line, 0, name, "a tag is not [Name \"value\"]");
        m_source.get();
        std::string& value = tag.value;
        bool closed = false;
        for (int c = m_source.get(); c != Source::END && c != '\n'; c = m_source.get()) {
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && m_source.peek() != Source::END && m_source.peek() != '\n')
                c = m_source.get();
            if (value.size() == Pdn::MAX_TAG_VALUE)
                return fail(line, 0, name, "the tag's value is too long");
            value += static_cast<char>(c);
        }
        while (closed && (m_source.peek() == ' ' || m_source.peek() == '\t'))
            m_source.get();
        if (!closed || m_source.peek() != ']')
            return fail(line, 0, name, "the tag is not closed");
        m_source.get();
        return true;
    }

    bool storeTag(Game& game, Tag& tag)
    {
        if (game.tags.size() == Pdn::MAX_TAGS && game.tags.count(tag.name) == 0)
            return fail(tag.line, 0, tag.name, "too many tags");
        if (game.tags.empty())
            game.firstTag = tag.name;
        game.tagLines[tag.name] = tag.line;
        game.tags[tag.name] = std::move(tag.value);
        return true;
    }

    // The record the game's tags ask for, made before its first move is replayed.
    bool startRecord(Game& game, int line)
    {
        const auto type = game.tags.find(GAME_TYPE_TAG);
        if (type == game.tags.end())
            return fail(line, 0, "", "no GameType tag: it must be 21 (English) or 25 (Russian)");
        const std::string& value = type->second;
        const std::string digits = value.substr(0, value.find(','));
        int rules = 0;
        if (!digits.empty() && digits.size() <= 2 &&
            digits.find_first_not_of("0123456789") == std::string::npos)
            rules = std::stoi(digits);
        if (!ruleset::known(rules)) {
            return fail(game.tagLines[GAME_TYPE_TAG], 0, value,
                        "GameType must be 21 (English) or 25 (Russian)");
        }
        const Colour side1 = m_side1(game.tags);
        const auto fen = game.tags.find(FEN_TAG);
        const auto setUp = game.tags.find(SETUP_TAG);
        const bool fromFen =
            fen != game.tags.end() && (setUp == game.tags.end() || setUp->second != "0");
        if (!fromFen) {
            game.record = std::make_unique<GameRecord>(rules, side1);
            return true;
        }
        const std::optional<Notation::Fen> position = Notation(rules, side1).parseFen(fen->second);
        if (!position)
            return fail(game.tagLines[FEN_TAG], 0, fen->second, "the FEN tag is not a position");
        game.record = std::make_unique<GameRecord>(rules, side1, position->position,
                                                   position->toMove == side1 ? 1 : 2);
        return true;
    }

    // A word that is a move in neither rule set's notation; before the game's rules are known,
    // such a word is garbage rather than a move of unknown rules.
    static bool noMove(const std::string& text)
    {
        for (int rules : {ruleset::ENGLISH, ruleset::RUSSIAN}) {
            if (Notation(rules, Colour::White).parseMove(text))
                return false;
        }
        return true;
    }

    bool playMove(Game& game, const std::string& word, int line)
    {
        std::string text = word;
        while (!text.empty() && std::string("!?+#").find(text.back()) != std::string::npos)
            text.pop_back();
        if (!game.record && noMove(text))
            return fail(line, 0, word, "not a move");
        if (!game.record && !startRecord(game, line))
            return false;
        GameRecord& record = *game.record;
        const bool secondMoverStarts =
            record.colourOf(record.startSide()) != ruleset::firstMover(record.rules());
        const int number = moveNumber(static_cast<int>(record.moves().size()), secondMoverStarts);
        const std::optional<Notation::MoveText> move = record.notation().parseMove(text);
        if (!move)
            return fail(line, number, word, "not a move");
        if (record.over())
            return fail(line, number, word, "the game is already over");
        const LegalMoves::Choice choice =
            record.legalMoves().find(move->from, move->landings, move->to, true);
        if (choice.match == LegalMoves::Match::NONE)
            return fail(line, number, word, "not a legal move");
        if (choice.match == LegalMoves::Match::AMBIGUOUS)
            return fail(line, number, word, "ambiguous without its landing squares");
        const GameMove chosen = *choice.move;
        record.play(chosen);
        return true;
    }

    // The word at the reading point: up to white space or the start of a comment, variation or
    // tag; a stray closing bracket is a word of its own. Reading stops at MAX_WORD characters:
    // a longer word is no move.
    std::string nextWord(bool& tooLong)
    {
        std::string word(1, static_cast<char>(m_source.get()));
        if (isOneOf(word[0], "})]"))
            return word;
        while (!endsWord(m_source.peek())) {
            if (word.size() == Pdn::MAX_WORD) {
                tooLong = true;
                break;
            }
            word += static_cast<char>(m_source.get());
        }
        return word;
    }

    Outcome readGame(Game& game)
    {
        if (m_nextCut) {
            // The tag that showed the game before this one cut short was itself cut short.
            m_error = *m_nextCut;
            m_error.game = m_gamesBegun + 1;
            m_nextCut.reset();
            return Outcome::TORN;
        }
        bool started = false; // a tag or a word of this game has been read
        if (m_nextTag) {
            // The tag that showed the game before this one cut short begins this one.
            storeTag(game, *m_nextTag);
            m_nextTag.reset();
            started = true;
        }
        bool inMoves = false;
        int lastLine = m_source.line(); // of the last tag or word
        while (skipSpace()) {
            const int line = m_source.line();
            const int previousLine = lastLine;
            lastLine = line;
            const int c = m_source.peek();
            if (c == '{') {
                // A comment belongs to no game before its first tag or word.
                if (!skipBlock())
                    return failed(line, "the text ends inside this comment", started);
                continue;
            }
            started = true;
            if (c == '[') {
                if (inMoves && m_torn && m_source.atLineStart())
                    return torn(previousLine, NEXT_GAME);
                if (inMoves)
                    return failed(line, "the moves before this tag have no result", false);
                Tag tag;
                if (!readTag(tag)) {
                    const Outcome outcome = errorOrTorn();
                    if (outcome == Outcome::TORN && tag.atLineStart &&
                        beginsAgain(game, tag.name)) {
                        // The next game's first tag, cut short: two games are cut short here.
                        m_nextCut = m_error;
                        return torn(previousLine, NEXT_GAME);
                    }
                    return outcome;
                }
                if (m_torn && tag.atLineStart && game.tags.count(tag.name) > 0) {
                    m_nextTag = std::move(tag);
                    return torn(previousLine, NEXT_GAME);
                }
                if (!storeTag(game, tag))
                    return Outcome::ERROR;
                continue;
            }
            inMoves = true;
            if (c == '(') {
                if (!skipBlock())
                    return failed(line, "the text ends inside this variation", true);
                continue;
            }
            bool tooLong = false;
            std::string word = nextWord(tooLong);
            if (tooLong) {
                fail(line, 0, word + "...", "a word too long to be a move");
                return Outcome::ERROR;
            }
            if (word[0] == '$' && word.size() > 1 &&
                word.find_first_not_of("0123456789", 1) == std::string::npos)
                continue; // a NAG
            if (isResultToken(word)) {
                if (!game.record && !startRecord(game, line))
                    return errorOrTorn();
                return Outcome::GAME;
            }
            // A move number, "12." or "12...", possibly run together with the move.
            const auto digits = word.find_first_not_of("0123456789");
            if (digits != std::string::npos && digits > 0 && word[digits] == '.') {
                const auto rest = word.find_first_not_of('.', digits);
                if (rest == std::string::npos)
                    continue;
                word = word.substr(rest);
            }
            if (!playMove(game, word, line))
                return errorOrTorn();
        }
        if (!started)
            return Outcome::NONE;
        return failed(lastLine, "the game has no result at its end", true);
    }

    // A tag name read (perhaps cut short) is, or begins, the name of the tag that began the game:
    // at the start of a line among the game's tags it begins the next game. A lone "[" may be
    // either game's and is left to this one.
    static bool beginsAgain(const Game& game, const std::string& name)
    {
        return !name.empty() && !game.firstTag.empty() &&
               game.firstTag.compare(0, name.size(), name) == 0;
    }

    // The error just found, in a game begun when `inGame`; cut short instead, when cut games are
    // taken, if the text ends there or goes on with the next game (errorOrTorn).
    Outcome failed(int line, const std::string& reason, bool inGame)
    {
        fail(line, 0, "", reason);
        return inGame ? errorOrTorn() : Outcome::ERROR;
    }

    // After an error in a game begun: when cut games are taken, and nothing but white space
    // follows the error on its line, the game is cut short if the text ends after that white
    // space or goes on with a tag at the start of a line. Otherwise it stays an error.
    Outcome errorOrTorn()
    {
        if (!m_torn)
            return Outcome::ERROR;
        // An error that took the line's end with it (a tag value cut short) is at a line start.
        while (!m_source.atLineStart() && m_source.peek() != '\n' &&
               m_source.peek() != Source::END) {
            if (!isSpace(m_source.peek()))
                return Outcome::ERROR;
            m_source.get();
        }
        while (isSpace(m_source.peek()))
            m_source.get();
        if (m_source.peek() == Source::END)
            return torn(m_error.line, TEXT_ENDS);
        if (m_source.peek() == '[' && m_source.atLineStart())
            return torn(m_error.line, NEXT_GAME);
        return Outcome::ERROR;
    }

    // The game is cut short after `line`, for the reason given.
    Outcome torn(int line, const char* reason)
    {
        m_error = Pdn::Error{line, m_gamesBegun + 1, 0, "", reason};
        return Outcome::TORN;
    }

    Source m_source;
    const Pdn::Side1Colour& m_side1;
    const Pdn::EachGame& m_each;
    const Pdn::EachTorn& m_torn;
    int m_gamesBegun = 0;                // games read or cut short
    std::optional<Tag> m_nextTag;        // read, and begins the next game
    std::optional<Pdn::Error> m_nextCut; // the next game, cut short in its first tag
    Pdn::Error m_error;
};

} // namespace

std::string Pdn::Error::describe() const
{
    std::string text = "line " + std::to_string(line);
    if (game > 0)
        text += ", game " + std::to_string(game);
    if (moveNumber > 0)
        text += ", move " + std::to_string(moveNumber);
    if (!moveText.empty())
        text += " \"" + moveText + '"';
    return text + ": " + reason;
}

std::string Pdn::write(const GameRecord& record, const Tags& tags)
{
    std::string text = tagLine("Event", tags.event);
    text += tagLine("Date", tags.date.empty() ? UNKNOWN_DATE : tags.date);
    text += tagLine("White", tags.white);
    text += tagLine("Black", tags.black);
    text += tagLine("Result", resultToken(record.result()));
    text += tagLine(GAME_TYPE_TAG, std::to_string(record.rules()));
    const Notation notation = record.notation();
    const int firstSide = record.sideOf(ruleset::firstMover(record.rules()));
    if (record.start() != startPosition() || record.startSide() != firstSide) {
        text += tagLine(SETUP_TAG, "1");
        text += tagLine(FEN_TAG, notation.fen(record.start(), record.colourOf(record.startSide())));
    }
    text += '\n';

    const bool secondMoverStarts = record.startSide() != firstSide;
    MoveText moves;
    int plies = 0;
    for (const GameMove& move : record.moves()) {
        const int number = moveNumber(plies, secondMoverStarts);
        if (move.side == firstSide)
            moves.add(std::to_string(number) + '.');
        else if (plies == 0)
            moves.add(std::to_string(number) + "...");
        moves.add(record.moveText(static_cast<std::size_t>(plies)));
        ++plies;
    }
    moves.add(resultToken(record.result()));
    return text + moves.text();
}

std::optional<Pdn::Error> Pdn::read(std::istream& in, const Side1Colour& side1,
                                    const EachGame& each)
{
    return read(in, side1, each, EachTorn());
}

std::optional<Pdn::Error> Pdn::read(std::istream& in, const Side1Colour& side1,
                                    const EachGame& each, const EachTorn& torn)
{
    return Reader(in, side1, each, torn).readAll();
}

Pdn::ReadResult Pdn::read(const std::string& text, Colour side1Colour)
{
    std::istringstream in(text);
    ReadResult result;
    result.error = read(
        in, [side1Colour](const TagValues&) { return side1Colour; },
        [&result](Game& game) {
            result.games.push_back(std::move(game));
            return true;
        });
    return result;
}

std::string Pdn::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return UNKNOWN_DATE;
    char date[sizeof "YYYY.MM.DD"];
    if (std::strftime(date, sizeof date, "%Y.%m.%d", &local) == 0)
        return UNKNOWN_DATE;
    return date;
}
